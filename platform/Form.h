#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Component.h"
#include "platform/Controls.h"
#include "platform/Gdi.h"
#include "platform/Window.h"

namespace platform {

class FormAccessibility;

// A top-level window built from a layout resource (see Layout.h): its caption, border, size
// and colour come from the layout's form line, its components from the lines after it. The
// window's class is named after the layout's form class (for instance "TForm2").
//
// Windowless controls are painted bottom to top into one back buffer; a click goes to the
// topmost visible control under the point when the button goes down and up inside it.
// Every handler runs inside the window procedure, which catches what escapes it and shows
// the application's error box: nothing ever unwinds through the system's frames.
//
// The form owns its window, its fonts, its back buffer and its components. A construction
// that throws half way leaves nothing behind: no window, no GDI object.
class Form : public Object {
 public:
  explicit Form(const std::string& layoutName);
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND Handle() const { return window_.Get(); }
  const std::string& Caption() const { return caption_; }

  // Outer position and size in screen coordinates.
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int left);
  void SetTop(int top);

  bool Visible() const { return visible_; }
  // Visible and in front; OnShow runs when the form turns from hidden to shown, before it
  // appears. An error in OnShow is reported and the form is shown all the same.
  void Show();
  void Hide();
  // The application's main form ends the program; any other form is hidden.
  void Close();
  void BringToFront();
  // The window takes the region over when it accepts it; a refused one is deleted.
  void SetRegion(Region region, bool redraw);

  // The font of that face, height and weight, made once per form and shared.
  const Font& SharedFont(const std::string& face, int height, bool bold);
  // The form's own font, for labels without one.
  const Font& DefaultFont() const { return *font_; }

  Component* FindComponent(const std::string& name) const;
  // The component of that name and kind; throws when the layout lacks it.
  template <class T>
  T* Find(const std::string& name) const {
    T* found = dynamic_cast<T*>(FindComponent(name));
    if (found == nullptr) throw std::logic_error("layout has no " + name);
    return found;
  }
  // Bottom to top, as painted.
  const std::vector<Control*>& Controls() const { return controls_; }
  // The topmost visible control at a client point, or nullptr.
  Control* ControlAt(POINT client) const;
  void InvalidateRect(const RECT& rect) const;
  // Keeps a control's tooltip over the control.
  void ControlChanged(const Control& control);
  // The text that names a control (its caption or hint) changed: readers are told.
  void ControlNameChanged(const Control& control);

  struct HitTest {
    int x, y;        // screen coordinates
    LRESULT result;  // the default hit test's answer, to be kept or replaced
  };

  std::function<void(Object& sender)> OnCreate;
  std::function<void(Object& sender)> OnShow;
  // Runs after the default hit test of every WM_NCHITTEST.
  std::function<void(HitTest& message)> OnHitTest;

  // Runs OnCreate; the application calls it once the form is fully built.
  void DoCreate();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void CreateTooltips();

  // The members go in the reverse order: first the window stops reaching the form, then the
  // components go while the window still exists (the tray icon and the timers need it),
  // then the fonts and the back buffer, and the window last.
  Window window_;
  std::string className_;
  std::string caption_;
  COLORREF color_ = RGB(255, 255, 255);
  std::map<std::tuple<std::string, int, bool>, Font> fonts_;
  const Font* font_ = nullptr;
  bool visible_ = false;
  BackBuffer backBuffer_;
  Window tooltip_;
  std::vector<std::unique_ptr<Component>> components_;
  std::vector<Control*> controls_;  // bottom to top
  Control* pressed_ = nullptr;
  // Made at the first request of an accessibility client (see Accessible.h); gone before
  // the components, once the window no longer reaches the form.
  std::unique_ptr<FormAccessibility> accessibility_;
  struct Unbind {
    const Window& window;
    ~Unbind() {
      if (window) SetWindowLongPtrA(window.Get(), GWLP_USERDATA, 0);
    }
  } unbind_{window_};
};

}  // namespace platform
