#include "platform/Application.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "platform/Form.h"

namespace platform {

Application& App() {
  static Application application;
  return application;
}

void Application::Initialize() {
  if (window_) return;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = "TApplication";
  RegisterClassExA(&wc);
  window_.Reset(CreateWindowExA(0, wc.lpszClassName, title_.c_str(), WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, wc.hInstance, nullptr));
  if (!window_) throw std::runtime_error("cannot create the application window");
  retrievalHook_ =
      SetWindowsHookExA(WH_GETMESSAGE, RetrievedMessage, nullptr, GetCurrentThreadId());
  if (retrievalHook_ == nullptr) throw std::runtime_error("cannot hook the message queue");
}

Application::~Application() {
  if (retrievalHook_ != nullptr) UnhookWindowsHookEx(retrievalHook_);
}

void Application::SetTitle(const std::string& title) {
  title_ = title;
  if (window_) SetWindowTextA(Handle(), title_.c_str());
}

void Application::DestroyForms() {
  while (!forms_.empty()) {
    if (forms_.back().get() == mainForm_) mainForm_ = nullptr;
    forms_.pop_back();
  }
}

void Application::Run() {
  if (showMainForm_ && mainForm_ != nullptr) mainForm_->Show();
  while (!terminated_) {
    MSG message;
    if (!Retrieve(message, true)) {
      terminated_ = true;
      break;
    }
    ProcessMessage(message);
  }
}

void Application::Terminate() {
  terminated_ = true;
  // The quit message ends a message box's loop; a menu's loop is ended here.
  EndMenu();
  PostQuitMessage(0);
}

void Application::ProcessMessages() {
  MSG message;
  while (Retrieve(message, false)) {
    if (message.message == WM_QUIT) {
      terminated_ = true;
      break;
    }
    ProcessMessage(message);
  }
}

bool Application::Retrieve(MSG& message, bool wait) {
  retrieving_ = true;
  const BOOL got = wait ? GetMessageA(&message, nullptr, 0, 0)
                        : PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
  retrieving_ = false;
  return got != 0 && got != -1;
}

LRESULT CALLBACK Application::RetrievedMessage(int code, WPARAM removal, LPARAM message) {
  Application& app = App();
  // A message only peeked at is seen again when it is removed.
  if (code == HC_ACTION && removal == PM_REMOVE && !app.retrieving_) {
    MSG& retrieved = *reinterpret_cast<MSG*>(message);
    if (app.RunHooks(retrieved)) retrieved.message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, removal, message);
}

bool Application::RunHooks(MSG& message) {
  bool handled = false;
  // No copy per message: a hook added meanwhile starts with the next message, and one removed
  // meanwhile leaves an empty place, closed up once no run is under way (runs nest when a hook
  // shows a box).
  ++running_;
  const size_t count = events_.size();
  for (size_t i = 0; i < count; ++i) {
    ApplicationEvents* events = events_[i];
    if (events == nullptr) continue;
    Guarded([&] {
      if (events->OnMessage) events->OnMessage(message, handled);
    });
  }
  if (--running_ == 0)
    events_.erase(std::remove(events_.begin(), events_.end(), nullptr), events_.end());
  return handled;
}

void Application::ProcessMessage(MSG& message) {
  if (RunHooks(message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void Application::ShowException(const std::exception& error) { ShowException(std::string(error.what())); }

void Application::ShowException(const std::string& text) {
  MessageBoxA(Handle(), text.c_str(), title_.c_str(), MB_ICONSTOP | MB_OK);
}

void Application::AddEvents(ApplicationEvents* events) { events_.push_back(events); }

void Application::RemoveEvents(ApplicationEvents* events) {
  if (running_ > 0)
    std::replace(events_.begin(), events_.end(), events, static_cast<ApplicationEvents*>(nullptr));
  else
    events_.erase(std::remove(events_.begin(), events_.end(), events), events_.end());
}

ApplicationEvents::ApplicationEvents(Form& owner, const LayoutItem& item) : Component(owner, item) {
  App().AddEvents(this);
}

ApplicationEvents::~ApplicationEvents() { App().RemoveEvents(this); }

}  // namespace platform
