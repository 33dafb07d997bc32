// A wininet.dll planted in the installation folder is never loaded by the uninstaller, which
// takes it from the system folder only; a program that loads it by its bare name picks up
// the planted copy, which shows that the check sees a load. Inside the test's own namespace.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/uninstaller/Namespace.h"
#include "uninstaller/Notice.h"

using testsupport::InstallFolder;

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(PlantedDll, NeverLoadedByTheUninstallerButByABareNameLoad) {
  // Wine takes its own wininet before any other; told to prefer a native one, it looks
  // beside the program first, as Windows does for a DLL that is not a KnownDLL. The prefix
  // is this namespace's own copy.
  const std::string overrides = "Software\\Wine\\DllOverrides";
  testsupport::reg::SetString(overrides, "wininet", "native,builtin");
  struct Restore {
    std::string key;
    ~Restore() { testsupport::reg::DeleteValue(key, "wininet"); }
  } restore{overrides};
  InstallFolder folder;
  folder.Copy("PlantedWininet.dll", "wininet.dll");
  folder.Copy("plain_load.exe", "plain_load.exe");
  const std::string marker = folder / "planted-dll-loaded";

  EXPECT_EQ(0u, testsupport::Run(folder / "plain_load.exe", "", 30000));
  ASSERT_TRUE(Exists(marker)) << "the control did not load the planted DLL";
  DeleteFileA(marker.c_str());

  nstest::Must(std::string("resolve ") + NotificationHost);
  nstest::Must("behave ok-length");
  const nstest::RunResult run = nstest::RunUninstaller(folder);
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_FALSE(Exists(marker)) << "the uninstaller loaded the planted wininet.dll";
  // The system's wininet read the machine online (the planted one says offline).
  EXPECT_EQ(1u, nstest::ReadServerLog().connections.size());
}

}  // namespace
