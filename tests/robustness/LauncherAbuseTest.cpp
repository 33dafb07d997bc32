// The built VtxLauncher over its four settings, each stored as every type: it exits with 0,
// or shows the error box naming the reader's error and exits with 1 after OK. Never a crash
// or a hang.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/robustness/StoredTypes.h"
#include "tests/support/TestSupport.h"

using testsupport::InstallFolder;
using testsupport::Process;
using testsupport::WaitFor;

namespace {

HWND FindErrorBox(DWORD pid, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitFor([&] {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "#32770", "Application Error")) != nullptr)
      if (testsupport::WindowProcessId(w) == pid) return (found = w) != nullptr;
    return false;
  }, timeoutMs);
  return found;
}

std::string BoxText(HWND box) { return testsupport::MessageBoxText(box); }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(LauncherAbuse, EverySettingAsEveryType) {
  InstallFolder folder;  // the launcher alone: nothing it could start is there
  folder.Copy("VtxLauncher.exe", "VtxLauncher.exe");
  // After OK a launcher only ends (under Wine that takes a while): the next case goes on
  // meanwhile, and the exit codes are checked at the end.
  struct Closed {
    std::string label;
    std::unique_ptr<Process> launcher;
  };
  std::vector<Closed> closed;
  for (const char* setting : {"ScanAtStartup", "s_Enable", "s_SmartScan", "VedadEzodi"}) {
    for (const robust::StoredType& t : robust::StoredTypes()) {
      const std::string label = std::string(setting) + " as " + t.label;
      SCOPED_TRACE(label);
      robust::ClearRegistry();
      robust::Store(setting, t);
      auto launcher = std::make_unique<Process>(folder / "VtxLauncher.exe");
      if (robust::IsError(t.boolean)) {
        HWND box = FindErrorBox(launcher->Id(), 15000);
        ASSERT_NE(nullptr, box) << "no error box";
        std::string text;
        const std::string reader = robust::Named(t.boolean, setting);
        WaitFor([&] { return EndsWith(text = BoxText(box), reader); }, 5000);
        EXPECT_TRUE(EndsWith(text, reader)) << text;
        EXPECT_EQ(STILL_ACTIVE, launcher->ExitCode()) << "it must wait for the box";
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        closed.push_back({label, std::move(launcher)});
      } else {
        ASSERT_TRUE(launcher->Wait(10000)) << "hangs";
        EXPECT_EQ(0u, launcher->ExitCode());
        EXPECT_EQ(nullptr, FindErrorBox(launcher->Id(), 0));
      }
    }
  }
  for (auto& c : closed) {
    SCOPED_TRACE(c.label);
    ASSERT_TRUE(c.launcher->Wait(15000)) << "still running after OK";
    EXPECT_EQ(1u, c.launcher->ExitCode());
  }
  robust::ClearRegistry();
}

}  // namespace
