// The real VtxGuard ends on the uninstaller's broadcast.
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
  ASSERT_TRUE(guard.Wait(30000)) << "VtxGuard still runs after the broadcast";
  EXPECT_EQ(0u, guard.ExitCode());
  EXPECT_TRUE(testsupport::WindowsTitled("VtxGuard").empty());
}
