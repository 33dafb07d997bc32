// VtxUninstaller end to end: the logon entry and the shutdown broadcast. Each case runs in a
// namespace of its own, offline unless it says otherwise, so the notice returns at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/support/TestSupport.h"
#include "uninstaller/Notice.h"
#include "tests/uninstaller/Namespace.h"

using nstest::Must;
using nstest::RunningStub;
using nstest::RunUninstaller;
using testsupport::InstallFolder;

namespace {

const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RawValue {
  DWORD type = REG_NONE;
  std::string data;
  bool operator==(const RawValue& o) const { return type == o.type && data == o.data; }
};

// Every value under the key, by name.
std::vector<std::pair<std::string, RawValue>> Values(const std::string& key) {
  std::vector<std::pair<std::string, RawValue>> values;
  HKEY handle;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return values;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[1024];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type;
    if (RegEnumValueA(handle, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS)
      break;
    values.push_back({name, {type, std::string(reinterpret_cast<char*>(data), dataSize)}});
  }
  RegCloseKey(handle);
  return values;
}

class Uninstaller : public ::testing::Test {
 protected:
  void SetUp() override { Must("route off"); }
};

TEST_F(Uninstaller, OnlyTheLogonEntryLeavesTheRunKey) {
  for (bool withEntry : {true, false}) {
    SCOPED_TRACE(withEntry ? "with the logon entry" : "without it");
    testsupport::reg::DeleteTree(kRun);
    if (withEntry) testsupport::reg::SetString(kRun, "Vantorix", "C:\\Vantorix\\Vantorix.exe");
    testsupport::reg::SetString(kRun, "OtherTool", "C:\\Other\\tool.exe /min");
    testsupport::reg::SetDword(kRun, "Vantorix2", 7);
    testsupport::reg::SetString(kRun, "", "default value");
    auto before = Values(kRun);
    InstallFolder folder;
    EXPECT_EQ(0u, RunUninstaller(folder).exitCode);
    auto after = Values(kRun);
    if (withEntry) {
      const size_t size = before.size();
      before.erase(std::remove_if(before.begin(), before.end(),
                                  [](const auto& v) { return v.first == "Vantorix"; }),
                   before.end());
      ASSERT_EQ(size - 1, before.size());
    }
    EXPECT_EQ(before, after);
    EXPECT_FALSE(testsupport::reg::ValueExists(kRun, "Vantorix"));
  }
}

TEST_F(Uninstaller, MissingRunKeyIsNotCreatedAndTheRunGoesOn) {
  Must("route on");
  Must(std::string("resolve ") + NotificationHost);
  testsupport::reg::DeleteTree(kRun);
  ASSERT_FALSE(testsupport::reg::KeyExists(kRun));
  InstallFolder folder;
  RunningStub guard(folder, "VtxGuard.exe");
  EXPECT_EQ(0u, RunUninstaller(folder).exitCode);
  EXPECT_FALSE(testsupport::reg::KeyExists(kRun));
  EXPECT_EQ(1u, nstest::ReadServerLog().connections.size());  // the notice
  EXPECT_EQ(1u, guard.Messages().size());                      // the broadcast
}

TEST_F(Uninstaller, NothingRunningNothingPostedNoPause) {
  const char* const names[] = {"VtxSchedule", "VtxGuard", "VtxSmartScan", "VtxAux",
                               "VtxUninstall"};
  // Registered messages live in the global atom table here: none exists before the run.
  for (const char* name : names) ASSERT_EQ(0, GlobalFindAtomA(name)) << name;
  InstallFolder folder;
  // The same start-up cost without any work: the stub under a name it does not play.
  folder.AddStub("Nothing.exe");
  const unsigned long long b0 = nstest::NowMs();
  ASSERT_EQ(3u, testsupport::Run(folder / "Nothing.exe"));
  const unsigned long long baseline = nstest::NowMs() - b0;
  const nstest::RunResult run = RunUninstaller(folder);
  EXPECT_EQ(0u, run.exitCode);
  const unsigned long long took = run.endMs - run.startMs;
  // Printed, not bounded: a busy machine can stretch any run. A pause with nothing to close
  // shows as 500 ms or more above the empty program.
  std::printf("uninstall, offline, nothing running: %llu ms (empty program: %llu ms)\n", took,
              baseline);
  for (const char* name : names) EXPECT_NE(0, GlobalFindAtomA(name)) << name;
}

TEST_F(Uninstaller, OnlyGuardRunningOnePostAndOnePause) {
  InstallFolder folder;
  RunningStub guard(folder, "VtxGuard.exe", /*hidden=*/true);
  const nstest::RunResult run = RunUninstaller(folder);
  EXPECT_EQ(0u, run.exitCode);
  const auto messages = guard.Messages();
  ASSERT_EQ(1u, messages.size());
  EXPECT_EQ((std::vector<std::string>{"1028", "0"}), messages[0].fields);
  EXPECT_GE(run.endMs, messages[0].ms + 450) << "the pause after the post";
  EXPECT_TRUE(guard.process().Wait(30000)) << "the member ends on its close code";
}

TEST_F(Uninstaller, AllFiveInOrderMainApplicationLast) {
  InstallFolder folder;
  // In broadcast order, with the code each expects.
  const struct { const char* name; const char* code; bool hidden; } members[] = {
      {"VtxSchedule.exe", "1027", false}, {"VtxGuard.exe", "1028", false},
      {"VtxSmartScan.exe", "1030", true}, {"VtxAux.exe", "1147", false},
      {"Vantorix.exe", "1026", false},
  };
  std::vector<std::unique_ptr<RunningStub>> stubs;
  for (const auto& m : members) stubs.emplace_back(new RunningStub(folder, m.name, m.hidden));
  const nstest::RunResult run = RunUninstaller(folder);
  EXPECT_EQ(0u, run.exitCode);
  std::vector<unsigned long long> times;
  for (size_t i = 0; i < stubs.size(); ++i) {
    SCOPED_TRACE(members[i].name);
    const auto messages = stubs[i]->Messages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ((std::vector<std::string>{members[i].code, "0"}), messages[0].fields);
    times.push_back(messages[0].ms);
    EXPECT_TRUE(stubs[i]->process().Wait(30000));
  }
  // In order, each at least the pause after the one before.
  for (size_t i = 1; i < times.size(); ++i)
    EXPECT_GE(times[i], times[i - 1] + 450) << members[i].name << " too soon";
  const unsigned long long spread = times.back() - times.front();
  EXPECT_GE(spread, 1900u);
  EXPECT_GE(run.endMs, times.back() + 450);
  std::printf("uninstall, offline, all five running: %llu ms (first to last post: %llu ms)\n",
              run.endMs - run.startMs, spread);
}

TEST_F(Uninstaller, TwoWindowsSameTitleOnlyTheFoundOneGetsIt) {
  InstallFolder first, second;
  RunningStub a(first, "VtxGuard.exe"), b(second, "VtxGuard.exe");
  const DWORD found = testsupport::WindowProcessId(FindWindowA(nullptr, "VtxGuard"));
  ASSERT_TRUE(found == a.process().Id() || found == b.process().Id());
  RunningStub& chosen = found == a.process().Id() ? a : b;
  RunningStub& other = found == a.process().Id() ? b : a;
  EXPECT_EQ(0u, RunUninstaller(first).exitCode);
  EXPECT_EQ(1u, chosen.Messages().size());
  EXPECT_TRUE(other.Messages().empty());
  // The other keeps running: a message of its own after the run is logged, so it was alive
  // to take anything the uninstaller might have sent it before.
  HWND otherWindow = testsupport::WindowOf(other.process().Id(), nullptr, "VtxGuard");
  ASSERT_NE(nullptr, otherWindow);
  PostMessageA(otherWindow, RegisterWindowMessageA("VtxGuard"), 1, 0);
  EXPECT_TRUE(testsupport::WaitFor([&] { return other.Messages().size() == 1; }, 15000));
  EXPECT_EQ((std::vector<std::string>{"1", "0"}), other.Messages().at(0).fields);
  EXPECT_EQ(STILL_ACTIVE, other.process().ExitCode()) << "the other window's owner keeps running";
}

}  // namespace
