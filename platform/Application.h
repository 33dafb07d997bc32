#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Component.h"
#include "platform/Window.h"

namespace platform {

class Form;
class ApplicationEvents;

// The one application object of a program with forms: its hidden window (titled with the
// application title), its forms, the message loop and the error box.
class Application {
 public:
  // Creates the hidden application window; once, before the first form.
  void Initialize();

  void SetTitle(const std::string& title);
  HWND Handle() const { return window_.Get(); }

  // Builds a form of class T; reference is set before the form's OnCreate runs. The first
  // form created becomes the main form.
  template <class T>
  void CreateForm(T*& reference) {
    std::unique_ptr<T> form(new T());
    reference = form.get();
    forms_.push_back(std::move(form));
    reference->DoCreate();
    if (mainForm_ == nullptr) mainForm_ = reference;
  }
  Form* MainForm() const { return mainForm_; }
  // Destroys every form, the last created first.
  void DestroyForms();

  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }

  // Shows the main form (unless told not to) and runs the message loop until Terminate.
  // Every retrieved message passes the ApplicationEvents hooks before it is dispatched.
  void Run();
  // Ends the message loop; a menu or message box open at the time closes with it.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles the messages already queued, through the hooks like the main loop.
  void ProcessMessages();

  // The error box: stop icon, OK button, the error text, captioned with the title.
  void ShowException(const std::exception& error);
  void ShowException(const std::string& text);

  void AddEvents(ApplicationEvents* events);
  void RemoveEvents(ApplicationEvents* events);

  ~Application();

 private:
  // The hooks see what a modal loop of the system's own (a menu, a message box) takes from
  // the queue too: our loops mark their own retrievals, which ProcessMessage handles.
  static LRESULT CALLBACK RetrievedMessage(int code, WPARAM removal, LPARAM message);
  bool Retrieve(MSG& message, bool wait);
  // True when a hook marked the message handled.
  bool RunHooks(MSG& message);
  void ProcessMessage(MSG& message);

  std::string title_;
  Window window_;  // declared before the forms, so it outlives them
  std::vector<std::unique_ptr<Form>> forms_;
  Form* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  std::vector<ApplicationEvents*> events_;  // nullptr: removed during a run of the hooks
  int running_ = 0;                          // runs of the hooks under way
  HHOOK retrievalHook_ = nullptr;
  bool retrieving_ = false;
};

Application& App();

// The application-wide message hook: OnMessage sees every message that the main loop, or
// ProcessMessages, or a menu's or message box's modal loop retrieves, whatever window it is
// for, before it is dispatched; setting handled stops it there. Messages sent straight to a
// window never pass it.
class ApplicationEvents : public Component {
 public:
  ApplicationEvents(Form& owner, const LayoutItem& item);
  ~ApplicationEvents() override;

  std::function<void(MSG& message, bool& handled)> OnMessage;
};

// Runs a handler, reporting anything it throws in the application's error box. For every
// place where the system calls us.
template <class F>
void Guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    App().ShowException(error);
  } catch (...) {
    App().ShowException(std::string("Unexpected error"));
  }
}

}  // namespace platform
