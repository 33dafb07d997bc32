#pragma once
#include <windows.h>

#include <utility>

namespace platform {

// Owns a window. At the end it first clears the window's user data, so the window procedure
// no longer reaches the object that is going, then destroys the window.
class Window {
 public:
  Window() = default;
  explicit Window(HWND window) : window_(window) {}
  ~Window() { Reset(); }
  Window(Window&& other) noexcept : window_(other.Release()) {}
  Window& operator=(Window&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Get() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }
  // Forgets the window without destroying it: for one that the system is destroying already.
  HWND Release() { return std::exchange(window_, nullptr); }
  void Reset(HWND window = nullptr) {
    if (HWND old = std::exchange(window_, window)) {
      SetWindowLongPtrA(old, GWLP_USERDATA, 0);
      DestroyWindow(old);
    }
  }

 private:
  HWND window_ = nullptr;
};

}  // namespace platform
