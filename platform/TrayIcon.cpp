#include "platform/TrayIcon.h"

#include <shellapi.h>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/Layout.h"
#include "platform/PopupMenu.h"

namespace platform {

TrayIcon::TrayIcon(Form& owner, const LayoutItem& item)
    : Component(owner, item),
      hint_(item.Text("hint")),
      visible_(item.Flag("visible", true)),
      menuName_(item.Text("popup")),
      taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
  if (item.Has("icon")) {
    icon_ = Icon(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                               MAKEINTRESOURCEA(item.Integer("icon")), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
  }
}

TrayIcon::~TrayIcon() {
  if (added_) Notify(NIM_DELETE);
}

void TrayIcon::Loaded() {
  if (!menuName_.empty()) menu_ = Owner().Find<PopupMenu>(menuName_);
  if (visible_) added_ = Notify(NIM_ADD);
}

bool TrayIcon::Notify(DWORD action) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = Owner().Handle();
  data.uID = IconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = CallbackMessage;
  data.hIcon = icon_.Get();
  lstrcpynA(data.szTip, hint_.c_str(), MaxHint + 1);
  return Shell_NotifyIconA(action, &data) != FALSE;
}

void TrayIcon::ShowMenu() {
  // Foreground first, WM_NULL after: otherwise the menu does not close when the user
  // clicks elsewhere.
  SetForegroundWindow(App().Handle());
  App().ProcessMessages();
  if (App().Terminated()) return;  // one of those messages ended the program
  POINT at;
  GetCursorPos(&at);
  MenuItem* chosen = menu_->Track(at.x, at.y);
  PostMessageA(Owner().Handle(), WM_NULL, 0, 0);
  if (chosen != nullptr) chosen->Click();
}

bool TrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == taskbarCreated_) {
    // The shell restarted: its icons are gone. A repeated broadcast finds ours still held:
    // the add is refused, but the icon is there and must still be removed at the end.
    if (visible_) added_ = Notify(NIM_ADD) || Notify(NIM_MODIFY);
    return false;
  }
  if (message != CallbackMessage || wParam != IconId) return false;
  switch (static_cast<UINT>(lParam)) {
    case WM_RBUTTONDOWN:
      if (menu_ != nullptr && menu_->AutoPopup()) ShowMenu();
      break;
    case WM_LBUTTONDBLCLK:
      if (OnDblClick) OnDblClick(*this);
      break;
  }
  result = 0;
  return true;
}

}  // namespace platform
