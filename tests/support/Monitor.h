#pragma once
// The built VtxGuard.exe, started from an installation folder and driven from outside as a
// user or a sibling would: by its windows (TForm1, the tray host; TForm2, the popup), its
// close message and its tray icon's callback (TForm1's window, WM_APP + 1, wParam 1, lParam
// the mouse message).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace testsupport {

const UINT kTrayCallback = WM_APP + 1;
const UINT kTrayId = 1;
const WPARAM kGuardCloseCode = 1028;

// The popup's close button, in its own coordinates.
const POINT kCloseButton = {342, 22};

// Posts a left click (press and release) at x, y of the window's client area.
void Click(HWND window, int x, int y);

class Monitor {
 public:
  // Starts folder\VtxGuard.exe.
  explicit Monitor(const InstallFolder& folder);
  // Ends it by its close message if it still runs (terminated when that fails).
  ~Monitor();
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  Process& process() { return *process_; }
  DWORD Id() const { return process_->Id(); }
  HWND Host() const { return host_; }
  HWND Popup() const { return popup_; }

  // Waits until its popup shows and finds both windows.
  bool WaitPopup(DWORD timeoutMs = 15000);
  // Finds the popup (shown or not) and the host once they exist.
  bool WaitWindows(DWORD timeoutMs = 15000);
  bool PopupVisible() const { return IsWindowVisible(popup_) != FALSE; }
  bool IconPresent() const { return TrayIconPresent(host_, kTrayId); }
  void Tray(UINT mouseMessage) const { PostMessageA(host_, kTrayCallback, kTrayId, mouseMessage); }

  // A barrier behind every message posted to it before: the tray icon's right click opens the
  // menu, and Escape closes it; once the menu has shown, everything posted earlier has been
  // handled (both windows share one queue) and the program still runs. The popup is left as
  // it was.
  bool Sync(DWORD timeoutMs = 15000);
  // The same by the icon: it is taken from the shell and "TaskbarCreated" posted, which
  // makes the program add it again. Only where no other "TaskbarCreated" is on its way.
  bool SyncByIcon(DWORD timeoutMs = 15000);

  // Posts the close message to the host and waits for the end; true when it ended with 0.
  bool EndByCloseMessage(DWORD timeoutMs = 30000);

 private:
  std::unique_ptr<Process> process_;
  HWND host_ = nullptr;
  HWND popup_ = nullptr;
};

}  // namespace testsupport
