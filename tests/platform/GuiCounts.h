#pragma once
#include <windows.h>

#include <ostream>

// What a process holds of GDI objects and windows. GetGuiResources reports 0 under Wine, so
// the GDI objects are counted by probing the handle table: GetObjectType answers for a
// handle's table index alone.
struct GuiCounts {
  DWORD gdi = 0;
  DWORD windows = 0;  // top-level, hidden ones included

  GuiCounts() {
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
      if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++gdi;
    EnumWindows(CountOwn, reinterpret_cast<LPARAM>(&windows));
  }
  bool operator==(const GuiCounts& o) const { return gdi == o.gdi && windows == o.windows; }

 private:
  static BOOL CALLBACK CountOwn(HWND window, LPARAM count) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
  }
};

inline std::ostream& operator<<(std::ostream& out, const GuiCounts& c) {
  return out << "{gdi " << c.gdi << ", windows " << c.windows << "}";
}
