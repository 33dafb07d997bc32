#pragma once
#include <windows.h>

#include <functional>

#include "platform/Component.h"

namespace platform {

// A window timer on the owner form's window; it ticks while enabled.
class Timer : public Component {
 public:
  Timer(Form& owner, const LayoutItem& item);
  ~Timer() override;

  void SetEnabled(bool enabled);

  std::function<void(Object& sender)> OnTimer;

  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Update();
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

  bool enabled_;
  UINT interval_;
  bool running_ = false;
};

}  // namespace platform
