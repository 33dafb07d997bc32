// A program that imports wininet statically, as the uninstaller must not: the import check
// has to flag it.
#include <windows.h>
#include <wininet.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  DWORD flags = 7;
  return InternetGetConnectedState(&flags, 0) ? 0 : 1;
}
