#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Component.h"

namespace platform {

class PopupMenu;

// An item of a popup menu ("menu=" names it in the layout); items keep the layout's order.
class MenuItem : public Component {
 public:
  MenuItem(Form& owner, const LayoutItem& item);
  void Loaded() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }

  std::function<void(Object& sender)> OnClick;
  void Click();

 private:
  std::string caption_;
  std::string menuName_;
};

class PopupMenu : public Component {
 public:
  PopupMenu(Form& owner, const LayoutItem& item);

  void Add(MenuItem* item) { items_.push_back(item); }
  bool AutoPopup() const { return autoPopup_; }

  // Shows the menu at a screen point, owned by the application window, until it closes;
  // returns the chosen item (not yet clicked) or nullptr.
  MenuItem* Track(int x, int y);

 private:
  std::vector<MenuItem*> items_;
  bool autoPopup_;
};

}  // namespace platform
