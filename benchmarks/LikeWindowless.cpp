// A second baseline of the windowless programs: nothing done, but the same system DLLs
// imported and the same manifest carried (BenchLikeLauncher, BenchLikeUninstaller), so the
// loader's share of a start can be told from the program's own work.
#include <windows.h>
#include <shellapi.h>
#ifdef LIKE_UNINSTALLER
#include <winsock2.h>
#endif

namespace {
// Kept only so that the linker imports the DLLs; none of them is called.
void* volatile imports[] = {
    reinterpret_cast<void*>(&RegCloseKey), reinterpret_cast<void*>(&FindWindowA),
    reinterpret_cast<void*>(&ShellExecuteA),
#ifdef LIKE_UNINSTALLER
    reinterpret_cast<void*>(&WSAStartup),
#endif
};
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return imports[0] == nullptr ? 1 : 0; }
