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

#include "tests/support/Monitor.h"
#include "tests/support/TestSupport.h"

namespace reg = testsupport::reg;
using testsupport::Click;
using testsupport::InstallFolder;
using testsupport::kTrayCallback;
using testsupport::kTrayId;
using testsupport::Monitor;
using testsupport::Process;
using testsupport::WaitFor;

namespace {

const std::string kSettings = "SOFTWARE\\Vantorix";
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const WPARAM kCloseCode = testsupport::kGuardCloseCode;

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

POINT Screen(HWND window, int x, int y) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.left + x, r.top + y};
}

LRESULT HitTest(HWND window, int x, int y) {
  POINT p = Screen(window, x, y);
  return SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
}

class Guard : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearRegistry();
    folder_.Copy("VtxGuard.exe", "VtxGuard.exe");
  }

  void TearDown() override {
    monitors_.clear();  // each ends by its close message
    // Stubs started as the main application end on their own close message.
    const UINT mainClose = RegisterWindowMessageA("VtxUninstall");
    for (HWND w : testsupport::WindowsTitled("Vantorix")) PostMessageA(w, mainClose, 1026, 0);
    WaitFor([] { return testsupport::WindowsTitled("Vantorix").empty(); }, 15000);
    ClearRegistry();
  }

  // Starts a monitor without waiting for anything.
  Monitor& Launch() {
    monitors_.push_back(std::make_unique<Monitor>(folder_));
    pid_ = monitors_.back()->Id();
    return *monitors_.back();
  }

  // Starts the monitor and waits for its popup; returns the milliseconds until it showed.
  unsigned long long Start() {
    const ULONGLONG start = GetTickCount64();
    Monitor& m = Launch();
    EXPECT_TRUE(m.WaitPopup()) << "no popup";
    const unsigned long long shown = GetTickCount64() - start;
    popup_ = m.Popup();
    host_ = m.Host();
    EXPECT_NE(host_, nullptr);
    return shown;
  }

  Monitor& Current() { return *monitors_.back(); }
  Process& Monitor1() { return monitors_.front()->process(); }
  bool PopupVisible() const { return IsWindowVisible(popup_) != FALSE; }
  bool IconPresent(HWND host) const { return testsupport::TrayIconPresent(host, kTrayId); }

  std::vector<std::string> MainStarts() const {
    std::vector<std::string> starts;
    for (const auto& e : testsupport::ReadStubLog(folder_, "Vantorix"))
      if (e.kind == "start") starts.push_back(e.fields.at(0) + "|" + e.fields.at(1));
    return starts;
  }

  InstallFolder folder_;
  std::vector<std::unique_ptr<Monitor>> monitors_;
  DWORD pid_ = 0;
  HWND host_ = nullptr;
  HWND popup_ = nullptr;
};

TEST_F(Guard, PopupShowsAfterASecondAtTheLowerRightWithTwoTitledWindows) {
  // At the lower right of whatever screen the bench has.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const ULONGLONG start = GetTickCount64();
  Launch();
  // Created hidden first, shown by the timer.
  ASSERT_TRUE(WaitFor([&] { return (popup_ = FindOf(pid_, "TForm2", "VtxGuard")) != nullptr; }, 10000));
  const bool visibleEarly = IsWindowVisible(popup_) && GetTickCount64() - start < 500;
  ASSERT_TRUE(WaitFor([&] { return PopupVisible(); }, 10000));
  std::printf("popup visible %llu ms after start\n",
              static_cast<unsigned long long>(GetTickCount64() - start));
  EXPECT_FALSE(visibleEarly);

  RECT r;
  GetWindowRect(popup_, &r);
  EXPECT_EQ(r.left, screenWidth - 360 - 5);
  EXPECT_EQ(r.top, screenHeight - 270 - 60);
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
  EXPECT_EQ(Monitor1().ExitCode(), STILL_ACTIVE);
}

TEST_F(Guard, TwoStartedTogetherLeaveOneRunning) {
  Launch();
  Launch();
  ASSERT_TRUE(WaitFor([&] {
    int ended = 0;
    for (auto& m : monitors_) ended += m->process().ExitCode() == STILL_ACTIVE ? 0 : 1;
    return ended == 1;
  }, 15000));
  for (auto& m : monitors_) {
    if (m->process().ExitCode() != STILL_ACTIVE) {
      EXPECT_EQ(m->process().ExitCode(), 0u);
    } else {
      // The other has ended: once this one's popup shows, no other window can come.
      ASSERT_TRUE(m->WaitPopup());
      for (HWND w : testsupport::WindowsTitled("VtxGuard"))
        EXPECT_EQ(testsupport::WindowProcessId(w), m->Id());
    }
  }
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
    EXPECT_TRUE(WaitFor([&] { return MainStarts() == expected; }, 15000));
    EXPECT_TRUE(WaitFor([&] { return !PopupVisible(); }, 15000));
    PostMessageA(host_, kTrayCallback, kTrayId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitFor([&] { return PopupVisible(); }, 15000));
  }
  EXPECT_EQ(Monitor1().ExitCode(), STILL_ACTIVE);
}

TEST_F(Guard, LinksOnlyHideThePopupWhenTheMainApplicationIsMissing) {
  Start();
  Click(popup_, 330, 136);
  EXPECT_TRUE(WaitFor([&] { return !PopupVisible(); }, 15000));
  // The click has been handled by the barrier, and it started no process.
  EXPECT_TRUE(Current().Sync());
  EXPECT_TRUE(testsupport::ChildProcesses(pid_).empty());
  EXPECT_EQ(Monitor1().ExitCode(), STILL_ACTIVE);
}

TEST_F(Guard, CloseButtonHidesWithoutEnding) {
  Start();
  Click(popup_, 342, 22);
  EXPECT_TRUE(WaitFor([&] { return !PopupVisible(); }, 15000));
  // It still answers, after the click.
  EXPECT_TRUE(Current().Sync());
  EXPECT_EQ(Monitor1().ExitCode(), STILL_ACTIVE);
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
    Process& process = Current().process();
    PostMessageA(c.toPopup ? popup_ : host_, RegisterWindowMessageA(c.message), c.code, 0);
    if (c.ends) {
      ASSERT_TRUE(process.Wait(30000));
      EXPECT_EQ(process.ExitCode(), 0u);
      EXPECT_TRUE(testsupport::WindowsTitled("VtxGuard").empty());
    } else {
      // Handled before the barrier behind it, and it still runs.
      EXPECT_TRUE(Current().Sync());
      EXPECT_EQ(process.ExitCode(), STILL_ACTIVE);
      ASSERT_TRUE(Current().EndByCloseMessage());
    }
  }
}

TEST_F(Guard, ReadErrorIsReportedAndThePopupShownAfterOk) {
  reg::SetString(kRun, "Vantorix", "");
  reg::SetString(kSettings, "s_Enable", "1");
  reg::SetDword(kSettings, "ItemsToJunk", 3);
  Launch();
  HWND box = testsupport::FindBox(pid_, "Performance Monitor");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), "Invalid data type for 's_Enable'");
  EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
  EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
  popup_ = FindOf(pid_, "TForm2", "VtxGuard");
  ASSERT_NE(popup_, nullptr);
  EXPECT_FALSE(PopupVisible());
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return PopupVisible(); }, 15000));
  // The timer is off for good after it: checked in-process (Forms.StartUpTimerEndsAfterItsErrorBox).
  EXPECT_EQ(FindOf(pid_, "#32770", "Performance Monitor"), nullptr);
  EXPECT_EQ(Monitor1().ExitCode(), STILL_ACTIVE);
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
      Monitor& m = Launch();
      modal = testsupport::FindBox(pid_, "Performance Monitor");
      ASSERT_NE(modal, nullptr) << "no error box";
      ASSERT_TRUE(m.WaitWindows());
      popup_ = m.Popup();
      host_ = m.Host();
    } else {
      Start();
      PostMessageA(host_, kTrayCallback, kTrayId, WM_RBUTTONDOWN);
      ASSERT_TRUE(WaitFor([&] {
        modal = FindOf(pid_, "#32768");
        return modal != nullptr && IsWindowVisible(modal);
      }, 15000)) << "no menu";
    }
    ASSERT_NE(host_, nullptr);
    ASSERT_NE(popup_, nullptr);
    Process& process = Current().process();
    const ULONGLONG posted = GetTickCount64();
    PostMessageA(c.toPopup ? popup_ : host_, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
    ASSERT_TRUE(process.Wait(30000)) << "still running with the modal window open";
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
    }, 15000)) << "no menu";
    for (int i = 0; i < item; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 15000)) << "menu stays";
  };
  Click(popup_, 342, 22);
  ASSERT_TRUE(WaitFor([&] { return !PopupVisible(); }, 15000));
  choose(1);  // Show Performance Monitor
  EXPECT_TRUE(WaitFor([&] { return PopupVisible(); }, 15000));
  choose(2);  // Launch Vantorix: no parameters
  EXPECT_TRUE(WaitFor([&] { return MainStarts() == std::vector<std::string>{"|1"}; }, 15000));
  EXPECT_TRUE(PopupVisible());
  choose(3);  // Exit
  ASSERT_TRUE(Monitor1().Wait(30000));
  EXPECT_EQ(Monitor1().ExitCode(), 0u);
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
  EXPECT_TRUE(WaitFor([&] { return IconPresent(host_); }, 15000));
  // A single left click does nothing.
  Click(popup_, 342, 22);
  ASSERT_TRUE(WaitFor([&] { return !PopupVisible(); }, 15000));
  PostMessageA(host_, kTrayCallback, kTrayId, WM_LBUTTONDOWN);
  PostMessageA(host_, kTrayCallback, kTrayId, WM_LBUTTONUP);
  ASSERT_TRUE(Current().SyncByIcon());
  EXPECT_FALSE(PopupVisible());
  EXPECT_EQ(FindOf(pid_, "#32768"), nullptr) << "a single click opened the menu";
}

}  // namespace
