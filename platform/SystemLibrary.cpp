#include "platform/SystemLibrary.h"

#include <string>

namespace platform {
namespace {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// Looked up at run time: a Windows without the search-path update must still start the program.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesProc() {
  return reinterpret_cast<SetDefaultDllDirectoriesFn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories"));
}

}  // namespace

void RestrictDllSearchToSystem() {
  if (SetDefaultDllDirectoriesFn restrict = SetDefaultDllDirectoriesProc())
    restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

SystemLibrary::SystemLibrary(const char* name) {
  if (SetDefaultDllDirectoriesProc() != nullptr) {
    module_ = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return;
  }
  // Older systems: the full path, and its dependencies looked up from that folder first.
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const std::string path = std::string(folder) + "\\" + name;
  module_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary::~SystemLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

}  // namespace platform
