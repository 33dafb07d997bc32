#pragma once
#include <windows.h>

#include <string>

namespace platform {

class Form;
struct LayoutItem;

// What a handler gets as its sender: a form or one of its components.
class Object {
 public:
  virtual ~Object() = default;
};

// A named part of a form, built from one item of the form's layout. The form owns it and
// forwards its window's messages to it.
class Component : public Object {
 public:
  Component(Form& owner, const LayoutItem& item);
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const std::string& Name() const { return name_; }
  Form& Owner() const { return owner_; }

  // Once every component of the form exists: references to other components by name
  // can be resolved here.
  virtual void Loaded() {}
  // A message of the owner's window, before the form's own handling; true when handled.
  virtual bool HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

 private:
  Form& owner_;
  std::string name_;
};

}  // namespace platform
