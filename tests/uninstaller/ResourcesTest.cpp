// VtxUninstaller carries only a manifest that runs it as the invoking user: no icon, no
// version resource. Read from the file, never run here.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"

namespace {

BOOL CALLBACK CountType(HMODULE, LPSTR, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(UninstallerResources, AsInvokerManifestOnly) {
  const std::string path = testsupport::BinDir() + "\\VtxUninstaller.exe";
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, module);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
  ASSERT_NE(nullptr, found) << "no manifest 1";
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                             SizeofResource(module, found));
  EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
  int types = 0;
  EnumResourceTypesA(module, CountType, reinterpret_cast<LONG_PTR>(&types));
  EXPECT_EQ(1, types) << "anything beside the manifest";
  EXPECT_EQ(nullptr, FindResourceA(module, MAKEINTRESOURCEA(1), RT_GROUP_ICON));
  EXPECT_EQ(nullptr, FindResourceA(module, MAKEINTRESOURCEA(1), RT_VERSION));
  FreeLibrary(module);
  DWORD handle;
  EXPECT_EQ(0u, GetFileVersionInfoSizeA(path.c_str(), &handle));
}

}  // namespace
