// The real VtxGuard ends on the uninstaller's broadcast, even with its tray menu open.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/uninstaller/Namespace.h"

using testsupport::InstallFolder;

TEST(GuardBroadcast, RealGuardEnds) {
  nstest::Must("route off");
  InstallFolder folder;
  folder.Copy("VtxGuard.exe", "VtxGuard.exe");
  testsupport::Process guard(folder / "VtxGuard.exe");
  ASSERT_TRUE(testsupport::WaitFor([&] {
    for (HWND w : testsupport::WindowsTitled("VtxGuard"))
      if (testsupport::WindowProcessId(w) == guard.Id()) return true;
    return false;
  }, 20000)) << "VtxGuard's window did not appear";
  EXPECT_EQ(0u, nstest::RunUninstaller(folder).exitCode);
  ASSERT_TRUE(guard.Wait(5000)) << "VtxGuard still runs after the broadcast";
  EXPECT_EQ(0u, guard.ExitCode());
  EXPECT_TRUE(testsupport::WindowsTitled("VtxGuard").empty());
}

// The user has right-clicked the tray icon and left the menu open.
TEST(GuardBroadcast, RealGuardEndsWithItsTrayMenuOpen) {
  nstest::Must("route off");
  InstallFolder folder;
  folder.Copy("VtxGuard.exe", "VtxGuard.exe");
  testsupport::Process guard(folder / "VtxGuard.exe");
  HWND host = nullptr, menu = nullptr;
  ASSERT_TRUE(testsupport::WaitFor([&] {
    host = testsupport::WindowOf(guard.Id(), "TForm1", "VtxGuard");
    return host != nullptr;
  }, 20000)) << "VtxGuard's window did not appear";
  // The tray icon's callback: WM_APP + 1, icon 1, the right button's press.
  PostMessageA(host, WM_APP + 1, 1, WM_RBUTTONDOWN);
  ASSERT_TRUE(testsupport::WaitFor([&] {
    menu = testsupport::WindowOf(guard.Id(), "#32768");
    return menu != nullptr && IsWindowVisible(menu);
  }, 10000)) << "no tray menu";
  EXPECT_EQ(0u, nstest::RunUninstaller(folder).exitCode);
  ASSERT_TRUE(guard.Wait(5000)) << "VtxGuard still runs after the broadcast";
  EXPECT_EQ(0u, guard.ExitCode());
  EXPECT_TRUE(testsupport::WindowsTitled("VtxGuard").empty());
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_FALSE(testsupport::TrayIconPresent(host, 1));
}
