// VtxLauncher end to end with the stub family member: what it starts, with which parameters
// and show flag, over the settings, the members already running and the files in its folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/Siblings.h"
#include "tests/support/TestSupport.h"

using testsupport::InstallFolder;
using testsupport::ReadStubLog;
using testsupport::WaitFor;

namespace {

const char kSettings[] = "SOFTWARE\\Vantorix";

enum class Setting { Off, On, Two, NoKey };
enum class Running { No, Yes, Hidden };
enum class File { Present, Missing, Folder };

// The four steps, in the launcher's order.
const struct Step {
  const char* setting;
  const SiblingRow* row;
  const char* exe;
  const char* stem;
  const char* parameters;
  const char* showFlag;
} kSteps[] = {
    {"ScanAtStartup", &MainAppRow, "Vantorix.exe", "Vantorix", "/START", "1"},
    {"s_Enable", &ScheduleRow, "VtxSchedule.exe", "VtxSchedule", "", "8"},
    {"s_SmartScan", &SmartScanRow, "VtxSmartScan.exe", "VtxSmartScan", "", "8"},
    {"VedadEzodi", &GuardRow, "VtxGuard.exe", "VtxGuard", "", "1"},
};

bool HasStart(const InstallFolder& folder, const std::string& stem) {
  for (const auto& event : ReadStubLog(folder, stem))
    if (event.kind == "start") return true;
  return false;
}

size_t MembersStartedBy(DWORD launcher) {
  size_t n = 0;
  for (const std::string& exe : testsupport::ChildProcesses(launcher))
    for (const Step& step : kSteps) n += lstrcmpiA(exe.c_str(), step.exe) == 0 ? 1 : 0;
  return n;
}

bool OwnsWindow(const testsupport::Process& process, const SiblingRow& row) {
  for (HWND w : testsupport::WindowsTitled(row.title))
    if (testsupport::WindowProcessId(w) == process.Id()) return true;
  return false;
}

// Asks every member window that is left to close, all at once (a visible window takes Wine a
// moment to go), and waits until none is.
void CloseAllMembers() {
  auto anyLeft = [] {
    bool left = false;
    for (const SiblingRow* row : SiblingTable) {
      const UINT message = RegisterWindowMessageA(row->messageName);
      for (HWND w : testsupport::WindowsTitled(row->title)) {
        PostMessageA(w, message, row->closeCode, 0);
        left = true;
      }
    }
    return left;
  };
  WaitFor([&] { return !anyLeft(); }, 10000, 200);
}

// Members started before the launcher runs, from a folder of their own, so the launcher's
// folder holds only what the case puts there.
class RunningMembers {
 public:
  RunningMembers(bool hidden) {
    for (const Step& step : kSteps) {
      folder_.AddStub(step.exe, hidden);
      processes_.emplace_back(new testsupport::Process(folder_ / step.exe));
    }
    for (size_t i = 0; i < processes_.size(); ++i)
      if (!WaitFor([&] { return OwnsWindow(*processes_[i], *kSteps[i].row); }, 15000))
        throw std::runtime_error(std::string(kSteps[i].exe) + " has no window");
  }
  ~RunningMembers() {
    CloseAllMembers();
    for (auto& process : processes_) process->Wait(10000);  // before their folder goes
  }

 private:
  InstallFolder folder_;
  std::vector<std::unique_ptr<testsupport::Process>> processes_;
};

// Declared after a case's folder, so its members end before the folder is removed.
struct MembersClosedAtEnd {
  ~MembersClosedAtEnd() { CloseAllMembers(); }
};

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseAllMembers();
    testsupport::reg::DeleteTree(kSettings);
  }
  void TearDown() override {
    CloseAllMembers();
    testsupport::reg::DeleteTree(kSettings);
  }
};

using Case = std::tuple<Setting, Running, File>;

class LauncherTable : public LauncherTest, public ::testing::WithParamInterface<Case> {};

TEST_P(LauncherTable, StartsWhatIsOnAndNotRunning) {
  const Setting setting = std::get<0>(GetParam());
  const Running running = std::get<1>(GetParam());
  const File file = std::get<2>(GetParam());
  for (const Step& step : kSteps) {
    if (setting == Setting::NoKey) break;
    testsupport::reg::SetDword(kSettings, step.setting,
                               setting == Setting::Off ? 0 : setting == Setting::On ? 1 : 2);
  }
  InstallFolder folder;
  MembersClosedAtEnd closed;
  folder.Copy("VtxLauncher.exe", "VtxLauncher.exe");
  for (const Step& step : kSteps) {
    if (file == File::Present) folder.AddStub(step.exe, /*hidden=*/true);  // quicker to end
    if (file == File::Folder) folder.MakeFolder(step.exe);
  }
  std::unique_ptr<RunningMembers> members;
  if (running != Running::No) members.reset(new RunningMembers(running == Running::Hidden));

  testsupport::Process launcher(folder / "VtxLauncher.exe");
  ASSERT_TRUE(launcher.Wait(30000));
  ASSERT_EQ(0u, launcher.ExitCode());
  // What it started is still running (the stubs wait for their close message). Counted by
  // name: the ended launcher's id may already be another process's, under parallel tests.
  const size_t children = MembersStartedBy(launcher.Id());

  const bool on = setting == Setting::On || setting == Setting::Two;
  std::vector<bool> expected;
  for (const Step& step : kSteps) {
    const bool noRunningTest = step.row == &MainAppRow;
    expected.push_back(on && file == File::Present && (noRunningTest || running == Running::No));
  }
  size_t starts = 0;
  for (size_t i = 0; i < expected.size(); ++i)
    if (expected[i]) {
      ++starts;
      EXPECT_TRUE(WaitFor([&] { return HasStart(folder, kSteps[i].stem); }, 15000))
          << kSteps[i].exe << " was not started";
    }
  EXPECT_EQ(starts, children) << "processes started by the launcher";
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(kSteps[i].exe);
    const auto log = ReadStubLog(folder, kSteps[i].stem);
    if (!expected[i]) {
      EXPECT_TRUE(log.empty()) << "started, but should not have been";
      continue;
    }
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ("start", log[0].kind);
    EXPECT_EQ(kSteps[i].parameters, log[0].fields.at(0));
    EXPECT_EQ(kSteps[i].showFlag, log[0].fields.at(1));
  }
  members.reset();
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  static const char* const settings[] = {"Off", "On", "Two", "NoKey"};
  static const char* const running[] = {"NotRunning", "Running", "RunningHidden"};
  static const char* const files[] = {"Present", "Missing", "Folder"};
  return std::string(settings[static_cast<int>(std::get<0>(info.param))]) + "_" +
         running[static_cast<int>(std::get<1>(info.param))] + "_" +
         files[static_cast<int>(std::get<2>(info.param))];
}

// With the settings on, every combination; with them off, the files do not matter.
INSTANTIATE_TEST_SUITE_P(On, LauncherTable,
                         ::testing::Combine(::testing::Values(Setting::On, Setting::Two),
                                            ::testing::Values(Running::No, Running::Yes,
                                                              Running::Hidden),
                                            ::testing::Values(File::Present, File::Missing,
                                                              File::Folder)),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(Off, LauncherTable,
                         ::testing::Combine(::testing::Values(Setting::Off, Setting::NoKey),
                                            ::testing::Values(Running::No, Running::Yes,
                                                              Running::Hidden),
                                            ::testing::Values(File::Present)),
                         CaseName);

struct ErrorCase {
  const char* badSetting;
  DWORD type;
  const char* readerText;
  int stepsBefore;  // steps taken before the failing one
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.badSetting; }

class LauncherError : public LauncherTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(LauncherError, ReportedInTheErrorBoxThenExitCodeOne) {
  const ErrorCase& c = GetParam();
  InstallFolder folder;
  MembersClosedAtEnd closed;
  folder.Copy("VtxLauncher.exe", "VtxLauncher.exe");
  for (const Step& step : kSteps) {
    folder.AddStub(step.exe, /*hidden=*/true);
    if (std::string(step.setting) == c.badSetting) {
      if (c.type == REG_QWORD)
        testsupport::reg::SetQword(kSettings, step.setting, 1);
      else
        testsupport::reg::SetString(kSettings, step.setting, "1");
    } else {
      testsupport::reg::SetDword(kSettings, step.setting, 1);
    }
  }
  testsupport::Process launcher(folder / "VtxLauncher.exe");
  HWND box = testsupport::FindBox(launcher.Id(), "Application Error");
  ASSERT_NE(nullptr, box) << "no error box";
  testsupport::BoxContent content;
  WaitFor([&] { return (content = testsupport::ReadBox(box)).iconShown; }, 15000);
  const std::string& text = content.text;
  EXPECT_NE(std::string::npos, text.find("RegistryError")) << text;
  EXPECT_NE(std::string::npos, text.find("VtxLauncher.exe")) << text;
  ASSERT_GE(text.size(), std::string(c.readerText).size());
  EXPECT_EQ(c.readerText, text.substr(text.size() - std::string(c.readerText).size())) << text;
  EXPECT_TRUE(content.iconShown) << "no icon in the box";
  EXPECT_EQ(STILL_ACTIVE, launcher.ExitCode()) << "it must wait for the box";

  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_TRUE(launcher.Wait(30000));
  EXPECT_EQ(1u, launcher.ExitCode());
  // Only the steps before the error started anything (the stubs still run).
  EXPECT_EQ(static_cast<size_t>(c.stepsBefore), MembersStartedBy(launcher.Id()));
  for (int i = 0; i < c.stepsBefore; ++i)
    EXPECT_TRUE(WaitFor([&] { return HasStart(folder, kSteps[i].stem); }, 15000))
        << kSteps[i].exe << " should have started before the error";
  for (int i = c.stepsBefore; i < 4; ++i)
    EXPECT_FALSE(HasStart(folder, kSteps[i].stem)) << kSteps[i].exe << " started after the error";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LauncherError,
    ::testing::Values(ErrorCase{"ScanAtStartup", REG_SZ, "Invalid data type for 'ScanAtStartup'", 0},
                      ErrorCase{"s_SmartScan", REG_QWORD, "Failed to get data for 's_SmartScan'", 2},
                      ErrorCase{"VedadEzodi", REG_SZ, "Invalid data type for 'VedadEzodi'", 3}),
    [](const auto& info) { return std::string(info.param.badSetting); });

}  // namespace
