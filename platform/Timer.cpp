#include "platform/Timer.h"

#include "platform/Form.h"
#include "platform/Layout.h"

namespace platform {

Timer::Timer(Form& owner, const LayoutItem& item)
    : Component(owner, item),
      enabled_(item.Flag("enabled", true)),
      interval_(static_cast<UINT>(item.Integer("interval", 1000))) {
  Update();
}

Timer::~Timer() {
  enabled_ = false;
  Update();
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void Timer::Update() {
  if (running_) KillTimer(Owner().Handle(), Id());
  running_ = enabled_ && interval_ > 0 && SetTimer(Owner().Handle(), Id(), interval_, nullptr) != 0;
}

bool Timer::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message != WM_TIMER || wParam != Id()) return false;
  if (enabled_ && OnTimer) OnTimer(*this);
  result = 0;
  return true;
}

}  // namespace platform
