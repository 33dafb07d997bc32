// The built VtxGuard.exe in an installation folder of its own, with the stub as the main
// application, driven as a user or a sibling would: by its windows, its messages and its
// tray icon's callback message (TForm1's window, WM_APP + 1, wParam 1, lParam the mouse
// message).
#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace reg = testsupport::reg;
using testsupport::InstallFolder;
using testsupport::Process;
using testsupport::WaitFor;

namespace {

const std::string kSettings = "SOFTWARE\\Vantorix";
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const UINT kTrayCallback = WM_APP + 1;
const UINT kTrayId = 1;
const WPARAM kCloseCode = 1028;

void ClearRegistry() {
  reg::DeleteTree(kSettings);
  reg::DeleteValue(kRun, "Vantorix");
}

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND FindOf(DWORD pid, const char* className, const char* title = nullptr) {
  return testsupport::WindowOf(pid, className, title);
}

bool IconPresent(HWND host) { return testsupport::TrayIconPresent(host, kTrayId); }

POINT Screen(HWND window, int x, int y) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.left + x, r.top + y};
}

LRESULT HitTest(HWND window, int x, int y) {
  POINT p = Screen(window, x, y);
  return SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
}

void Click(HWND window, int x, int y) {
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

class Guard : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearRegistry();
    folder_.Copy("VtxGuard.exe", "VtxGuard.exe");
  }

  void TearDown() override {
    for (auto& process : processes_) {
      if (process->ExitCode() != STILL_ACTIVE) continue;
      for (HWND w : testsupport::WindowsTitled("VtxGuard"))
        if (testsupport::WindowProcessId(w) == process->Id())
          PostMessageA(w, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
      if (!process->Wait(10000)) process->Terminate();
    }
    // Stubs started as the main application end on their own close message.
    const UINT mainClose = RegisterWindowMessageA("VtxUninstall");
    for (HWND w : testsupport::WindowsTitled("Vantorix")) PostMessageA(w, mainClose, 1026, 0);
    WaitFor([] { return testsupport::WindowsTitled("Vantorix").empty(); }, 5000);
    ClearRegistry();
  }

  // Starts the monitor and waits for its popup; returns the milliseconds until it showed.
  unsigned long long Start() {
    const ULONGLONG start = GetTickCount64();
    processes_.push_back(std::make_unique<Process>(folder_ / "VtxGuard.exe"));
    pid_ = processes_.back()->Id();
    EXPECT_TRUE(WaitFor([&] {
      popup_ = FindOf(pid_, "TForm2", "VtxGuard");
      return popup_ != nullptr && IsWindowVisible(popup_);
    }, 10000)) << "no popup";
    const unsigned long long shown = GetTickCount64() - start;
    host_ = FindOf(pid_, "TForm1", "VtxGuard");
    EXPECT_NE(host_, nullptr);
    return shown;
  }

  Process& Monitor() { return *processes_.front(); }
  bool PopupVisible() const { return IsWindowVisible(popup_) != FALSE; }

  std::vector<std::string> MainStarts() const {
    std::vector<std::string> starts;
    for (const auto& e : testsupport::ReadStubLog(folder_, "Vantorix"))
      if (e.kind == "start") starts.push_back(e.fields.at(0) + "|" + e.fields.at(1));
    return starts;
  }

  InstallFolder folder_;
  std::vector<std::unique_ptr<Process>> processes_;
  DWORD pid_ = 0;
  HWND host_ = nullptr;
  HWND popup_ = nullptr;
};

TEST_F(Guard, PopupShowsAfterASecondAtTheLowerRightWithTwoTitledWindows) {
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
  const ULONGLONG start = GetTickCount64();
  processes_.push_back(std::make_unique<Process>(folder_ / "VtxGuard.exe"));
  pid_ = processes_.back()->Id();
  // Created hidden first, shown by the timer.
  ASSERT_TRUE(WaitFor([&] { return (popup_ = FindOf(pid_, "TForm2", "VtxGuard")) != nullptr; }, 10000));
  const bool visibleEarly = IsWindowVisible(popup_) && GetTickCount64() - start < 500;
  ASSERT_TRUE(WaitFor([&] { return PopupVisible(); }, 10000));
  std::printf("popup visible %llu ms after start\n",
              static_cast<unsigned long long>(GetTickCount64() - start));
  EXPECT_FALSE(visibleEarly);

  RECT r;
  GetWindowRect(popup_, &r);
  EXPECT_EQ(r.left, 1555);
  EXPECT_EQ(r.top, 750);
  EXPECT_EQ(r.right - r.left, 360);
  EXPECT_EQ(r.bottom - r.top, 270);
  std::vector<HWND> titled = testsupport::WindowsTitled("VtxGuard");
  ASSERT_EQ(titled.size(), 2u);
  for (HWND w : titled) EXPECT_EQ(testsupport::WindowProcessId(w), pid_);
  host_ = FindOf(pid_, "TForm1", "VtxGuard");
  ASSERT_NE(host_, nullptr);
  EXPECT_FALSE(IsWindowVisible(host_));
  EXPECT_TRUE(IconPresent(host_));

  // The skin's outline: the grey corners are not part of the window.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetWindowRgn(popup_, region), COMPLEXREGION);
  int inside = 0;
  for (int y = 0; y < 270; ++y)
    for (int x = 0; x < 360; ++x) inside += PtInRegion(region, x, y) ? 1 : 0;
  DeleteObject(region);
  EXPECT_EQ(inside, 97176);
}

TEST_F(Guard, SecondStartEndsAtOnceWithoutASecondPopup) {
  Start();
  EXPECT_EQ(testsupport::Run(folder_ / "VtxGuard.exe", "", 10000), 0u);
  EXPECT_EQ(testsupport::WindowsTitled("VtxGuard").size(), 2u);
  EXPECT_EQ(Monitor().ExitCode(), STILL_ACTIVE);
}

TEST_F(Guard, TwoStartedTogetherLeaveOneRunning) {
  processes_.push_back(std::make_unique<Process>(folder_ / "VtxGuard.exe"));
  processes_.push_back(std::make_unique<Process>(folder_ / "VtxGuard.exe"));
  ASSERT_TRUE(WaitFor([&] {
    int ended = 0;
    for (auto& p : processes_) ended += p->ExitCode() == STILL_ACTIVE ? 0 : 1;
    return ended == 1;
  }, 10000));
  for (auto& p : processes_) {
    if (p->ExitCode() != STILL_ACTIVE) {
      EXPECT_EQ(p->ExitCode(), 0u);
    }
  }
  Sleep(1500);
  EXPECT_EQ(testsupport::WindowsTitled("VtxGuard").size(), 2u);
}

TEST_F(Guard, HeaderDragsTheWindowLeftOfTheCloseButtonAndAboveTheFirstHeading) {
  Start();
  EXPECT_EQ(HitTest(popup_, 100, 20), HTCAPTION);
  EXPECT_EQ(HitTest(popup_, 331, 67), HTCAPTION);
  EXPECT_EQ(HitTest(popup_, 332, 67), HTCLIENT);
  EXPECT_EQ(HitTest(popup_, 331, 68), HTCLIENT);
  EXPECT_EQ(HitTest(popup_, 340, 20), HTCLIENT);  // the close button
}

// Each link starts the main application with its switch and hides the popup; a
// double-click on the tray icon brings the popup back.
TEST_F(Guard, LinksStartTheMainApplicationAndHideThePopup) {
  folder_.AddStub("Vantorix.exe");
  Start();
  const struct {
    int x, y;
    const char* start;
  } links[] = {{330, 72, "/START|1"}, {330, 136, "/CLEAN|1"}, {330, 215, "/SCHEDULE|1"}};
  std::vector<std::string> expected;
  for (const auto& link : links) {
    SCOPED_TRACE(link.start);
    Click(popup_, link.x, link.y);
    expected.push_back(link.start);
    EXPECT_TRUE(WaitFor([&] { return MainStarts() == expected; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return !PopupVisible(); }, 2000));
    PostMessageA(host_, kTrayCallback, kTrayId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitFor([&] { return PopupVisible(); }, 2000));
  }
  EXPECT_EQ(Monitor().ExitCode(), STILL_ACTIVE);
}

TEST_F(Guard, LinksOnlyHideThePopupWhenTheMainApplicationIsMissing) {
  Start();
  Click(popup_, 330, 136);
  EXPECT_TRUE(WaitFor([&] { return !PopupVisible(); }, 2000));
  Sleep(500);
  EXPECT_TRUE(testsupport::WindowsTitled("Vantorix").empty());
  EXPECT_EQ(Monitor().ExitCode(), STILL_ACTIVE);
}

TEST_F(Guard, CloseButtonHidesWithoutEnding) {
  Start();
  Click(popup_, 342, 22);
  EXPECT_TRUE(WaitFor([&] { return !PopupVisible(); }, 2000));
  Sleep(300);
  EXPECT_EQ(Monitor().ExitCode(), STILL_ACTIVE);
  EXPECT_TRUE(IconPresent(host_));
}

TEST_F(Guard, CloseMessageEndsTheProgramFromEitherWindowOnlyWithItsCode) {
  const struct {
    const char* label;
    bool toPopup;
    const char* message;
    WPARAM code;
    bool ends;
  } cases[] = {
      {"to the host", false, "VtxGuard", 1028, true},
      {"to the popup", true, "VtxGuard", 1028, true},
      {"another code", false, "VtxGuard", 1027, false},
      {"another message", true, "VtxSchedule", 1028, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Start();
    Process& process = *processes_.back();
    PostMessageA(c.toPopup ? popup_ : host_, RegisterWindowMessageA(c.message), c.code, 0);
    if (c.ends) {
      ASSERT_TRUE(process.Wait(10000));
      EXPECT_EQ(process.ExitCode(), 0u);
      EXPECT_TRUE(testsupport::WindowsTitled("VtxGuard").empty());
    } else {
      EXPECT_FALSE(process.Wait(1000));
      EXPECT_TRUE(PopupVisible());
      PostMessageA(host_, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
      ASSERT_TRUE(process.Wait(10000));
    }
  }
}

TEST_F(Guard, ReadErrorIsReportedAndThePopupShownAfterOk) {
  reg::SetString(kRun, "Vantorix", "");
  reg::SetString(kSettings, "s_Enable", "1");
  reg::SetDword(kSettings, "ItemsToJunk", 3);
  processes_.push_back(std::make_unique<Process>(folder_ / "VtxGuard.exe"));
  pid_ = processes_.back()->Id();
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindOf(pid_, "#32770", "Performance Monitor")) != nullptr; },
                      10000));
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), "Invalid data type for 's_Enable'");
  EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
  EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
  popup_ = FindOf(pid_, "TForm2", "VtxGuard");
  ASSERT_NE(popup_, nullptr);
  Sleep(300);
  EXPECT_FALSE(PopupVisible());
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return PopupVisible(); }, 5000));
  // One box only: the timer is off for good.
  Sleep(1500);
  EXPECT_EQ(FindOf(pid_, "#32770", "Performance Monitor"), nullptr);
  EXPECT_EQ(Monitor().ExitCode(), STILL_ACTIVE);
}

// A modal loop of the system's own, open when the close message comes: the program ends at
// once, the user has to close nothing, and neither window nor icon is left behind.
TEST_F(Guard, CloseMessageEndsTheProgramWhileTheTrayMenuOrTheErrorBoxIsOpen) {
  const struct {
    const char* label;
    bool errorBox;  // else the tray menu
    bool toPopup;
  } cases[] = {
      {"tray menu, to the host", false, false},
      {"tray menu, to the popup", false, true},
      {"error box, to the host", true, false},
      {"error box, to the popup", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ClearRegistry();
    HWND modal = nullptr;
    if (c.errorBox) {
      reg::SetString(kRun, "Vantorix", "");
      reg::SetString(kSettings, "s_Enable", "1");
      processes_.push_back(std::make_unique<Process>(folder_ / "VtxGuard.exe"));
      pid_ = processes_.back()->Id();
      ASSERT_TRUE(WaitFor([&] {
        return (modal = FindOf(pid_, "#32770", "Performance Monitor")) != nullptr;
      }, 10000)) << "no error box";
      popup_ = FindOf(pid_, "TForm2", "VtxGuard");
      host_ = FindOf(pid_, "TForm1", "VtxGuard");
    } else {
      Start();
      PostMessageA(host_, kTrayCallback, kTrayId, WM_RBUTTONDOWN);
      ASSERT_TRUE(WaitFor([&] {
        modal = FindOf(pid_, "#32768");
        return modal != nullptr && IsWindowVisible(modal);
      }, 5000)) << "no menu";
    }
    ASSERT_NE(host_, nullptr);
    ASSERT_NE(popup_, nullptr);
    Process& process = *processes_.back();
    const ULONGLONG posted = GetTickCount64();
    PostMessageA(c.toPopup ? popup_ : host_, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
    ASSERT_TRUE(process.Wait(10000)) << "still running with the modal window open";
    std::printf("%s: ended %llu ms after the close message\n", c.label, GetTickCount64() - posted);
    EXPECT_EQ(process.ExitCode(), 0u);
    EXPECT_TRUE(testsupport::WindowsTitled("VtxGuard").empty());
    EXPECT_FALSE(IsWindow(modal));
    EXPECT_FALSE(IconPresent(host_));
  }
}

// The menu pops up on the right button's press; keys choose its items.
TEST_F(Guard, TrayMenuShowsLaunchesAndExits) {
  folder_.AddStub("Vantorix.exe");
  Start();
  auto choose = [&](int item) {
    PostMessageA(host_, kTrayCallback, kTrayId, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    EXPECT_TRUE(WaitFor([&] {
      menu = FindOf(pid_, "#32768");
      return menu != nullptr && IsWindowVisible(menu);
    }, 5000)) << "no menu";
    for (int i = 0; i < item; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 5000)) << "menu stays";
  };
  Click(popup_, 342, 22);
  ASSERT_TRUE(WaitFor([&] { return !PopupVisible(); }, 2000));
  choose(1);  // Show Performance Monitor
  EXPECT_TRUE(WaitFor([&] { return PopupVisible(); }, 2000));
  choose(2);  // Launch Vantorix: no parameters
  EXPECT_TRUE(WaitFor([&] { return MainStarts() == std::vector<std::string>{"|1"}; }, 5000));
  EXPECT_TRUE(PopupVisible());
  choose(3);  // Exit
  ASSERT_TRUE(Monitor().Wait(10000));
  EXPECT_EQ(Monitor().ExitCode(), 0u);
}

TEST_F(Guard, TrayIconComesBackWhenTheTaskbarIsCreatedAnew) {
  Start();
  ASSERT_TRUE(IconPresent(host_));
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = host_;
  data.uID = kTrayId;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  ASSERT_FALSE(IconPresent(host_));
  PostMessageA(host_, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WaitFor([&] { return IconPresent(host_); }, 5000));
  // A single left click does nothing.
  Click(popup_, 342, 22);
  ASSERT_TRUE(WaitFor([&] { return !PopupVisible(); }, 2000));
  PostMessageA(host_, kTrayCallback, kTrayId, WM_LBUTTONDOWN);
  PostMessageA(host_, kTrayCallback, kTrayId, WM_LBUTTONUP);
  Sleep(500);
  EXPECT_FALSE(PopupVisible());
  EXPECT_EQ(FindOf(pid_, "#32768"), nullptr);
}

}  // namespace
