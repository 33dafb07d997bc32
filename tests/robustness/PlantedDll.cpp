// A planted "wininet.dll": loaded, it leaves the file "planted-dll-loaded" beside itself and
// says the machine is offline.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char marker[MAX_PATH + 32];
    const DWORD n = GetModuleFileNameA(instance, marker, MAX_PATH);
    DWORD slash = n;
    while (slash > 0 && marker[slash - 1] != '\\') --slash;
    lstrcpyA(marker + slash, "planted-dll-loaded");
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI InternetGetConnectedState(LPDWORD flags, DWORD) {
  if (flags) *flags = 0;
  return FALSE;
}
