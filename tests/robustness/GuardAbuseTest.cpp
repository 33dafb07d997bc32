// The built VtxGuard.exe under abuse: fifty starts at one moment, a flood of posted messages
// of every kind, the shell restarting, settings of the wrong type and a broken language file.
// Windows are found by class and process; the tray icon is asked of the shell itself.
#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/robustness/StoredTypes.h"
#include "tests/support/TestSupport.h"

namespace reg = testsupport::reg;
using testsupport::InstallFolder;
using testsupport::Process;
using testsupport::WaitFor;

namespace {

const UINT kTrayCallback = WM_APP + 1;
const UINT kTrayId = 1;
const WPARAM kCloseCode = 1028;

HWND FindOf(DWORD pid, const char* className, const char* title = nullptr) {
  return testsupport::WindowOf(pid, className, title);
}

NOTIFYICONDATAA IconData(HWND host) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = host;
  data.uID = kTrayId;
  return data;
}

bool IconPresent(HWND host) { return testsupport::TrayIconPresent(host, kTrayId); }

// An add of the same window and id fails while the shell holds that icon: no second one can
// be there. An add that went through is taken back.
bool SecondAddRefused(HWND host) {
  NOTIFYICONDATAA data = IconData(host);
  if (!Shell_NotifyIconA(NIM_ADD, &data)) return true;
  Shell_NotifyIconA(NIM_DELETE, &data);
  return false;
}

std::string ErrorBoxText(HWND box) { return testsupport::MessageBoxText(box); }

struct WindowSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOfProcess(HWND w, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  if (testsupport::WindowProcessId(w) == s->pid) s->found.push_back(w);
  return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
  WindowSearch search{pid, {}};
  EnumWindows(CollectOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class GuardAbuse : public ::testing::Test {
 protected:
  void SetUp() override {
    robust::ClearRegistry();
    folder_.Copy("VtxGuard.exe", "VtxGuard.exe");
  }
  void TearDown() override {
    for (HWND w : testsupport::WindowsTitled("VtxGuard"))
      PostMessageA(w, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
    for (auto& p : processes_)
      if (p->ExitCode() == STILL_ACTIVE && !p->Wait(10000)) p->Terminate();
    robust::ClearRegistry();
  }

  // Starts the monitor; with waitForPopup, waits until its popup shows.
  Process& Start(bool waitForPopup = true) {
    processes_.push_back(std::make_unique<Process>(folder_ / "VtxGuard.exe"));
    pid_ = processes_.back()->Id();
    if (waitForPopup) {
      EXPECT_TRUE(WaitFor([&] {
        popup_ = FindOf(pid_, "TForm2", "VtxGuard");
        return popup_ != nullptr && IsWindowVisible(popup_);
      }, 15000)) << "no popup";
      host_ = FindOf(pid_, "TForm1", "VtxGuard");
      EXPECT_NE(nullptr, host_);
    }
    return *processes_.back();
  }

  // Ends it by its close message; it must go within the time of removing its icon.
  void EndByCloseMessage(Process& process) {
    ASSERT_EQ(STILL_ACTIVE, process.ExitCode()) << "it ended before its close message";
    PostMessageA(host_, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
    ASSERT_TRUE(process.Wait(15000)) << "it does not end on its close message";
    EXPECT_EQ(0u, process.ExitCode());
  }

  InstallFolder folder_;
  std::vector<std::unique_ptr<Process>> processes_;
  DWORD pid_ = 0;
  HWND host_ = nullptr;
  HWND popup_ = nullptr;
};

TEST_F(GuardAbuse, FiftyStartedAtOneMomentLeaveOneWithOneIconAndOnePopup) {
  const int kCount = 50;
  const std::string exe = folder_ / "VtxGuard.exe";
  std::vector<PROCESS_INFORMATION> started;
  // Created suspended, then let go together.
  for (int i = 0; i < kCount; ++i) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                               CREATE_SUSPENDED, nullptr, nullptr, &startup, &info));
    started.push_back(info);
  }
  for (auto& info : started) ResumeThread(info.hThread);

  std::set<DWORD> withWindows;  // every process seen owning a window of the monitor
  auto running = [&] {
    int n = 0;
    for (auto& info : started) {
      DWORD code = 0;
      GetExitCodeProcess(info.hProcess, &code);
      n += code == STILL_ACTIVE ? 1 : 0;
    }
    return n;
  };
  const bool settled = WaitFor([&] {
    for (const char* cls : {"TApplication", "TForm1", "TForm2"}) {
      HWND w = nullptr;
      while ((w = FindWindowExA(nullptr, w, cls, nullptr)) != nullptr) {
        for (auto& info : started)
          if (testsupport::WindowProcessId(w) == info.dwProcessId) withWindows.insert(info.dwProcessId);
      }
    }
    return running() == 1;
  }, 90000, 10);
  std::printf("%d left running, %zu seen with windows\n", running(), withWindows.size());

  PROCESS_INFORMATION survivor = {};
  for (auto& info : started) {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    if (code == STILL_ACTIVE)
      survivor = info;
    else
      EXPECT_EQ(0u, code);
  }
  EXPECT_TRUE(settled);
  ASSERT_NE(0u, survivor.dwProcessId);
  pid_ = survivor.dwProcessId;
  EXPECT_TRUE(WaitFor([&] {
    popup_ = FindOf(pid_, "TForm2", "VtxGuard");
    return popup_ != nullptr && IsWindowVisible(popup_);
  }, 15000));
  Sleep(1500);  // a late second popup would show by now
  EXPECT_EQ(std::set<DWORD>{pid_}, withWindows);
  const std::vector<HWND> titled = testsupport::WindowsTitled("VtxGuard");
  EXPECT_EQ(2u, titled.size());
  for (HWND w : titled) EXPECT_EQ(pid_, testsupport::WindowProcessId(w));
  int visiblePopups = 0;
  HWND w = nullptr;
  while ((w = FindWindowExA(nullptr, w, "TForm2", nullptr)) != nullptr)
    visiblePopups += IsWindowVisible(w) ? 1 : 0;
  EXPECT_EQ(1, visiblePopups);
  host_ = FindOf(pid_, "TForm1", "VtxGuard");
  ASSERT_NE(nullptr, host_);
  EXPECT_TRUE(IconPresent(host_));
  EXPECT_TRUE(SecondAddRefused(host_));

  PostMessageA(host_, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(survivor.hProcess, 15000));
  for (auto& info : started) {
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
}

// Messages that legitimately end a program or hand it to a modal loop of the system, which
// the flood leaves out:
// - WM_DESTROY, WM_NCDESTROY, WM_CLOSE, WM_QUIT, WM_QUERYENDSESSION, WM_ENDSESSION: they say
//   "end" (closing the main form, which WM_CLOSE does, is how the program is meant to end);
// - WM_SYSCOMMAND, WM_SYSKEYDOWN/UP, WM_SYSCHAR, WM_SYSDEADCHAR (Alt+F4) and the non-client
//   button messages (WM_NCLBUTTONDOWN ... WM_NCXBUTTONDBLCLK): the default handling turns
//   them into system commands: close, or a move or size loop that waits for the mouse;
// - the close message itself, "VtxGuard" with 1028;
// - the tray callback with WM_RBUTTONDOWN: the user's right click opens the menu, whose modal
//   loop would take the flood's keys and clicks as the user's choices, Exit among them. (The
//   close message ends the program with the menu open: Guard.CloseMessageEndsTheProgram...)
bool Excluded(UINT message, WPARAM wParam, LPARAM lParam, UINT closeMessage) {
  switch (message) {
    case WM_DESTROY: case WM_NCDESTROY: case WM_CLOSE: case WM_QUIT:
    case WM_QUERYENDSESSION: case WM_ENDSESSION:
    case WM_SYSCOMMAND: case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_SYSCHAR:
    case WM_SYSDEADCHAR:
      return true;
  }
  if (message >= WM_NCLBUTTONDOWN && message <= 0x00AD) return true;  // up to WM_NCXBUTTONDBLCLK
  if (message == closeMessage && wParam == kCloseCode) return true;
  if (message == kTrayCallback && static_cast<UINT>(lParam) == WM_RBUTTONDOWN) return true;
  return false;
}

TEST_F(GuardAbuse, FloodOfRandomMessagesToBothWindowsThenTheCloseMessageEndsIt) {
  Process& monitor = Start();
  const UINT closeMessage = RegisterWindowMessageA("VtxGuard");
  std::mt19937_64 random(20240501);
  auto pick = [&](uint64_t n) { return static_cast<uint64_t>(random() % n); };
  int posted = 0, refused = 0;
  for (int i = 0; i < 10000; ++i) {
    const HWND target = i % 2 ? host_ : popup_;
    UINT message;
    switch (pick(5)) {
      case 0: case 1: message = static_cast<UINT>(pick(WM_USER)); break;   // the system's
      case 2: message = static_cast<UINT>(WM_USER + pick(WM_APP - WM_USER)); break;
      case 3: message = static_cast<UINT>(WM_APP + pick(0x4000)); break;   // WM_APP + 1 too
      default: message = static_cast<UINT>(0xC000 + pick(0x4000)); break;  // registered
    }
    // Small numbers reach the handlers' branches; full-width ones stand for garbage.
    const WPARAM wParam = pick(2) ? static_cast<WPARAM>(pick(0x10000)) : static_cast<WPARAM>(random());
    const LPARAM lParam = pick(2) ? static_cast<LPARAM>(pick(0x10000)) : static_cast<LPARAM>(random());
    if (Excluded(message, wParam, lParam, closeMessage)) {
      --i;
      continue;
    }
    if (PostMessageA(target, message, wParam, lParam)) {
      ++posted;
    } else if (GetLastError() == ERROR_NOT_ENOUGH_QUOTA) {
      Sleep(20);  // the queue is full: let it drain, then post this one again
      --i;
    } else {
      ++refused;  // messages that carry pointers cannot be posted
    }
    if (i % 500 == 0) Sleep(1);
  }
  std::printf("%d posted, %d refused by the system\n", posted, refused);
  EXPECT_GT(posted, 9000);
  // Still answering, with no error box and both windows in place.
  DWORD_PTR answer = 0;
  EXPECT_NE(0, SendMessageTimeoutA(host_, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer));
  Sleep(500);
  EXPECT_EQ(STILL_ACTIVE, monitor.ExitCode());
  EXPECT_EQ(nullptr, FindOf(pid_, "#32770"));
  EXPECT_EQ(host_, FindOf(pid_, "TForm1", "VtxGuard"));
  EXPECT_EQ(popup_, FindOf(pid_, "TForm2", "VtxGuard"));
  EXPECT_TRUE(IconPresent(host_));
  EndByCloseMessage(monitor);
}

// The shell says so when it has been started anew: with its icons lost, or (a repeated
// broadcast) with the icon still held. Each time the icon is there, once; at the end it goes.
TEST_F(GuardAbuse, ShellRestartedThreeTimesLeavesTheIconThereOnce) {
  Process& monitor = Start();
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  const bool iconsLost[] = {true, false, true};
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("restart " + std::to_string(round + 1) + (iconsLost[round] ? ", icons lost" : ", icon kept"));
    if (iconsLost[round]) {
      NOTIFYICONDATAA data = IconData(host_);
      ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
      ASSERT_FALSE(IconPresent(host_));
    }
    // What the shell's broadcast delivers: the message to every top-level window.
    for (HWND w : TopLevelWindowsOf(pid_)) PostMessageA(w, taskbarCreated, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return IconPresent(host_); }, 5000));
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(host_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);  // handled by now
    EXPECT_TRUE(IconPresent(host_));
    EXPECT_TRUE(SecondAddRefused(host_));
  }
  EndByCloseMessage(monitor);
  EXPECT_FALSE(IconPresent(host_)) << "the icon outlived the program";
  NOTIFYICONDATAA data = IconData(host_);
  Shell_NotifyIconA(NIM_DELETE, &data);
}

// A slice of the registry table and a broken language file, on the built program: it keeps
// running, and shows the error box (then the popup) or the popup.
TEST_F(GuardAbuse, WrongTypedSettingsAndABrokenLanguageFileLeaveItRunning) {
  const auto& types = robust::StoredTypes();
  auto type = [&](const char* label) -> const robust::StoredType& {
    for (const auto& t : types)
      if (std::string(t.label) == label) return t;
    throw std::runtime_error(label);
  };
  std::mt19937 random(7);
  std::string junk(32 * 1024, '\0');
  for (char& c : junk) c = static_cast<char>(random() & 0xFF);
  junk += "\r\n[VedadEzodi]\r\nStart=" + std::string(1024 * 1024, 'y');  // and no newline at the end

  const struct {
    const char* label;
    std::function<void()> store;
    const char* box;  // the error box's text, nullptr: none
  } cases[] = {
      {"s_Enable as REG_MULTI_SZ",
       [&] {
         reg::SetString(robust::kRun, "Vantorix", "");
         robust::Store("s_Enable", type("multi_sz"));
       },
       "Failed to get data for 's_Enable'"},
      {"s_Time as 64 KiB",
       [&] {
         reg::SetString(robust::kRun, "Vantorix", "");
         reg::SetDword(robust::kSettings, "s_Enable", 1);
         robust::Store("s_Time", type("binary_64k"));
       },
       "Failed to get data for 's_Time'"},
      {"s_Time of 8 bytes that are no number, counts and language of the wrong type",
       [&] {
         reg::SetString(robust::kRun, "Vantorix", "");
         reg::SetDword(robust::kSettings, "s_Enable", 1);
         robust::Store("s_Time", type("binary_8_nan"));
         robust::Store("ItemsToFix", type("binary_64k"));
         robust::Store("ItemsToJunk", type("expand_sz"));
         robust::Store("Language", type("sz_short"));
       },
       nullptr},
      {"language file of random bytes and a 1 MiB line",
       [&] { folder_.WriteFile("English.ini", junk); }, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    robust::ClearRegistry();
    DeleteFileA((folder_ / "English.ini").c_str());
    c.store();
    Process& monitor = Start(false);
    if (c.box) {
      HWND box = nullptr;
      ASSERT_TRUE(WaitFor([&] { return (box = FindOf(pid_, "#32770", "Performance Monitor")) != nullptr; },
                          15000)) << "no error box";
      std::string text;
      WaitFor([&] { return (text = ErrorBoxText(box)) == c.box; }, 5000);
      EXPECT_EQ(c.box, text);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    ASSERT_TRUE(WaitFor([&] {
      popup_ = FindOf(pid_, "TForm2", "VtxGuard");
      return popup_ != nullptr && IsWindowVisible(popup_);
    }, 15000)) << "no popup";
    host_ = FindOf(pid_, "TForm1", "VtxGuard");
    Sleep(300);
    EXPECT_EQ(nullptr, FindOf(pid_, "#32770"));
    EXPECT_TRUE(IconPresent(host_));
    EndByCloseMessage(monitor);
  }
}

}  // namespace
