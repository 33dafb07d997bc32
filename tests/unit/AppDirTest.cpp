#include <gtest/gtest.h>

#include "common/AppDir.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

TEST(AppDir, ExtractFileDir) {
  struct { const char* file; const char* dir; } cases[] = {
      {"C:\\Program Files\\Vantorix\\VtxGuard.exe", "C:\\Program Files\\Vantorix"},
      {"C:\\VtxGuard.exe", "C:\\"},  // a drive root keeps its backslash
      {"\\\\server\\share\\VtxGuard.exe", "\\\\server\\share"},
      {"VtxGuard.exe", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.dir, platform::ExtractFileDir(c.file)) << c.file;
}

TEST(AppDir, IsTheFolderOfTheRunningProgram) {
  std::string dir = ModuleAppDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE('\\', dir.back());
  EXPECT_TRUE(platform::FileExists(dir + "\\common_tests.exe"));
}

TEST(FileExists, AFolderIsNotAFile) {
  testsupport::InstallFolder folder;
  folder.MakeFolder("Vantorix.exe");
  folder.WriteFile("VtxGuard.exe", "x");
  EXPECT_FALSE(platform::FileExists(folder / "Vantorix.exe"));
  EXPECT_TRUE(platform::FileExists(folder / "VtxGuard.exe"));
  EXPECT_FALSE(platform::FileExists(folder / "VtxSchedule.exe"));
}
