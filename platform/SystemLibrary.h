#pragma once
#include <windows.h>

namespace platform {

// From here on, DLLs the process loads by name come from the system folder only, never from
// the program's own folder or the current one (where the system supports the restriction).
void RestrictDllSearchToSystem();

// A DLL loaded from the system folder only, its dependencies too; freed with the object.
class SystemLibrary {
 public:
  explicit SystemLibrary(const char* name);
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  bool Loaded() const { return module_ != nullptr; }
  // The exported function, or nullptr when the DLL or the function is missing.
  template <typename Function>
  Function Proc(const char* name) const {
    return module_ ? reinterpret_cast<Function>(GetProcAddress(module_, name)) : nullptr;
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace platform
