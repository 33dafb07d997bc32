#include "platform/PopupMenu.h"

#include <stdexcept>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/Layout.h"

namespace platform {

MenuItem::MenuItem(Form& owner, const LayoutItem& item)
    : Component(owner, item), caption_(item.Text("caption")), menuName_(item.Text("menu")) {}

void MenuItem::Loaded() { Owner().Find<PopupMenu>(menuName_)->Add(this); }

void MenuItem::Click() {
  if (OnClick) OnClick(*this);
}

PopupMenu::PopupMenu(Form& owner, const LayoutItem& item)
    : Component(owner, item), autoPopup_(item.Flag("autopopup", true)) {}

MenuItem* PopupMenu::Track(int x, int y) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  for (size_t i = 0; i < items_.size(); ++i)
    AppendMenuA(menu, MF_STRING, i + 1, items_[i]->Caption().c_str());
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y,
      0, App().Handle(), nullptr));
  DestroyMenu(menu);
  return chosen >= 1 && chosen <= static_cast<int>(items_.size()) ? items_[chosen - 1] : nullptr;
}

}  // namespace platform
