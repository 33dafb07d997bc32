// The built VtxLauncher over its four settings, each stored as every type: it exits with 0,
// or shows the error box naming the reader's error and exits with 1 after OK. Never a crash
// or a hang.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/StoredTypes.h"
#include "tests/support/TestSupport.h"

using testsupport::InstallFolder;
using testsupport::Process;
using testsupport::WaitFor;

namespace {

std::string BoxText(HWND box) { return testsupport::MessageBoxText(box); }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(LauncherAbuse, EverySettingAsEveryType) {
  InstallFolder folder;  // the launcher alone: nothing it could start is there
  folder.Copy("VtxLauncher.exe", "VtxLauncher.exe");
  for (const char* setting : {"ScanAtStartup", "s_Enable", "s_SmartScan", "VedadEzodi"}) {
    for (const stored::StoredType& t : stored::StoredTypes()) {
      const std::string label = std::string(setting) + " as " + t.label;
      SCOPED_TRACE(label);
      stored::ClearRegistry();
      stored::Store(setting, t);
      auto launcher = std::make_unique<Process>(folder / "VtxLauncher.exe");
      if (stored::IsError(t.boolean)) {
        HWND box = testsupport::FindBox(launcher->Id(), "Application Error");
        ASSERT_NE(nullptr, box) << "no error box";
        const std::string text = BoxText(box);
        EXPECT_TRUE(EndsWith(text, stored::Named(t.boolean, setting))) << text;
        EXPECT_EQ(STILL_ACTIVE, launcher->ExitCode()) << "it must wait for the box";
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_TRUE(launcher->Wait(30000)) << "still running after OK";
        EXPECT_EQ(1u, launcher->ExitCode());
      } else {
        ASSERT_TRUE(launcher->Wait(30000)) << "hangs";
        EXPECT_EQ(0u, launcher->ExitCode());
        EXPECT_EQ(nullptr, testsupport::FindBox(launcher->Id(), "Application Error", 0));
      }
    }
  }
  stored::ClearRegistry();
}

}  // namespace
