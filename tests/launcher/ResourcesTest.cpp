// VtxLauncher carries VtxGuard's icon, manifest and version resource.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

std::string LauncherPath() { return testsupport::BinDir() + "\\VtxLauncher.exe"; }

std::string Resource(HMODULE module, LPCSTR type, int id) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) return "";
  const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return std::string(data, SizeofResource(module, found));
}

TEST(LauncherResources, IconAndManifest) {
  HMODULE module = LoadLibraryExA(LauncherPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, module);
  EXPECT_FALSE(Resource(module, RT_GROUP_ICON, 1).empty()) << "no icon group 1";
  const std::string manifest = Resource(module, RT_MANIFEST, 1);
  EXPECT_NE(std::string::npos, manifest.find("asInvoker"));
  EXPECT_NE(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
  FreeLibrary(module);
}

TEST(LauncherResources, Version320) {
  const std::string path = LauncherPath();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length));
  EXPECT_EQ(MAKELONG(2, 3), info->dwFileVersionMS);
  EXPECT_EQ(0u, info->dwFileVersionLS);
  EXPECT_EQ(MAKELONG(2, 3), info->dwProductVersionMS);
  EXPECT_EQ(0u, info->dwProductVersionLS);
  char* name = nullptr;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\OriginalFilename",
                             reinterpret_cast<void**>(&name), &length));
  EXPECT_STREQ("VtxLauncher.exe", name);
}

}  // namespace
