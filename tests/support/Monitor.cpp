#include "tests/support/Monitor.h"

#include <shellapi.h>

namespace testsupport {

void Click(HWND window, int x, int y) {
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

Monitor::Monitor(const InstallFolder& folder)
    : process_(new Process(folder / "VtxGuard.exe")) {}

Monitor::~Monitor() {
  if (process_->ExitCode() != STILL_ACTIVE) return;
  const UINT close = RegisterWindowMessageA("VtxGuard");
  for (HWND w : WindowsTitled("VtxGuard"))
    if (WindowProcessId(w) == Id()) PostMessageA(w, close, kGuardCloseCode, 0);
  if (!process_->Wait(30000)) process_->Terminate();
}

bool Monitor::WaitWindows(DWORD timeoutMs) {
  return WaitFor([&] {
    popup_ = WindowOf(Id(), "TForm2", "VtxGuard");
    host_ = WindowOf(Id(), "TForm1", "VtxGuard");
    return popup_ != nullptr && host_ != nullptr;
  }, timeoutMs);
}

bool Monitor::WaitPopup(DWORD timeoutMs) {
  return WaitFor([&] {
    popup_ = WindowOf(Id(), "TForm2", "VtxGuard");
    host_ = WindowOf(Id(), "TForm1", "VtxGuard");
    return popup_ != nullptr && host_ != nullptr && IsWindowVisible(popup_);
  }, timeoutMs);
}

bool Monitor::Sync(DWORD timeoutMs) {
  Tray(WM_RBUTTONDOWN);
  HWND menu = nullptr;
  if (!WaitFor([&] {
        menu = WindowOf(Id(), "#32768");
        return menu != nullptr && IsWindowVisible(menu);
      }, timeoutMs))
    return false;
  PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  return WaitFor([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, timeoutMs);
}

bool Monitor::SyncByIcon(DWORD timeoutMs) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = host_;
  data.uID = kTrayId;
  if (!Shell_NotifyIconA(NIM_DELETE, &data)) return false;
  PostMessageA(host_, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  return WaitFor([&] { return IconPresent(); }, timeoutMs);
}

bool Monitor::EndByCloseMessage(DWORD timeoutMs) {
  if (process_->ExitCode() != STILL_ACTIVE) return false;
  PostMessageA(host_, RegisterWindowMessageA("VtxGuard"), kGuardCloseCode, 0);
  return process_->Wait(timeoutMs) && process_->ExitCode() == 0;
}

}  // namespace testsupport
