// Loads wininet.dll the unprotected way, by its bare name: the control for the planted DLL.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return LoadLibraryA("wininet.dll") != nullptr ? 0 : 1;
}
