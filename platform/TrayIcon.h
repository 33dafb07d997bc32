#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/Component.h"
#include "platform/Gdi.h"

namespace platform {

class PopupMenu;

// The icon in the notification area, on the owner form's window: that window receives the
// icon's callback message CallbackMessage with wParam IconId and the mouse message as
// lParam. A right button press (down) pops up the menu; a left double-click calls
// OnDblClick; a single left click does nothing. The icon is added again when the shell
// broadcasts "TaskbarCreated", and removed when the component goes with its form.
class TrayIcon : public Component {
 public:
  static constexpr UINT CallbackMessage = WM_APP + 1;
  static constexpr UINT IconId = 1;
  static constexpr size_t MaxHint = 127;  // the shell's tooltip holds 128 characters

  TrayIcon(Form& owner, const LayoutItem& item);
  ~TrayIcon() override;
  void Loaded() override;

  // Whether the shell took the icon at the last add.
  bool Added() const { return added_; }

  std::function<void(Object& sender)> OnDblClick;

  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool Notify(DWORD action);
  void ShowMenu();

  std::string hint_;
  bool visible_;
  bool added_ = false;
  Icon icon_;
  std::string menuName_;
  PopupMenu* menu_ = nullptr;
  UINT taskbarCreated_;
};

}  // namespace platform
