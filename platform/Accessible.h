#pragma once
#include <windows.h>

#include <vector>

namespace platform {

class Form;
class Control;
class FormAccessible;

// What assistive technology reads of a form whose controls draw themselves: the answer to
// WM_GETOBJECT for the client area, an IAccessible whose children are the form's visible
// controls in reading order. Labels are static text, labels with a click handler links,
// images with a click handler push buttons, other images graphics when they have a hint.
// A client's default action runs the control's click from the form's own message loop.
//
// COM and oleacc are loaded only once a client asks: a form nobody reads costs nothing.
class FormAccessibility {
 public:
  explicit FormAccessibility(Form& form);
  // Cuts every client off; a reference a client still holds then only answers errors.
  ~FormAccessibility();
  FormAccessibility(const FormAccessibility&) = delete;
  FormAccessibility& operator=(const FormAccessibility&) = delete;

  // The LRESULT for WM_GETOBJECT with OBJID_CLIENT, or 0 when COM is not to be had.
  LRESULT Answer(WPARAM wParam);
  // A message of the form's window; true when it was the one that runs requested actions.
  bool HandleMessage(UINT message);
  // Queues a control's click, run from the message loop, never inside the client's call.
  void RequestClick(Control* control);

 private:
  Form& form_;
  FormAccessible* object_ = nullptr;
  bool comInitialized_ = false;
  std::vector<Control*> pendingClicks_;
};

// The controls a reader is given, in reading order: lines from top to bottom (a control
// belongs to the line of the topmost control whose rows hold its vertical centre), left to
// right within a line.
std::vector<Control*> ReadingOrder(const Form& form);
// Tells listening clients that the accessible name of a control changed.
void NotifyNameChange(const Form& form, const Control& control);

}  // namespace platform
