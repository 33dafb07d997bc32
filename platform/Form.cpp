#include "platform/Form.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/Accessible.h"
#include "platform/Application.h"
#include "platform/Layout.h"
#include "platform/PopupMenu.h"
#include "platform/Timer.h"
#include "platform/TrayIcon.h"

namespace platform {
namespace {

std::unique_ptr<Component> MakeComponent(Form& form, const LayoutItem& item) {
  if (item.kind == "label") return std::make_unique<Label>(form, item);
  if (item.kind == "image") return std::make_unique<Image>(form, item);
  if (item.kind == "timer") return std::make_unique<Timer>(form, item);
  if (item.kind == "popupmenu") return std::make_unique<PopupMenu>(form, item);
  if (item.kind == "menuitem") return std::make_unique<MenuItem>(form, item);
  if (item.kind == "trayicon") return std::make_unique<TrayIcon>(form, item);
  if (item.kind == "events") return std::make_unique<ApplicationEvents>(form, item);
  throw std::runtime_error("layout line " + std::to_string(item.line) + ": unknown kind " +
                           item.kind);
}

void RegisterFormClass(const std::string& name, WNDPROC procedure) {
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(GetModuleHandleA(nullptr), name.c_str(), &existing)) return;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = name.c_str();
  if (!RegisterClassExA(&wc)) throw std::runtime_error("cannot register window class " + name);
}

}  // namespace

Form::Form(const std::string& layoutName) {
  std::vector<LayoutItem> items =
      ParseLayout(LoadLayoutResource(GetModuleHandleA(nullptr), layoutName));
  if (items.empty() || items.front().kind != "form")
    throw std::runtime_error("layout " + layoutName + " does not start with its form");
  const LayoutItem& form = items.front();
  className_ = form.name;
  caption_ = form.Text("caption");
  color_ = form.Color("color", RGB(255, 255, 255));
  if (form.Has("font"))
    font_ = Font(form.Text("font"), form.Integer("height", -11), form.Flag("bold", false));
  else
    font_ = Font("Arial", -11, false);

  std::vector<int> client = form.Numbers("client");
  if (client.size() != 2) throw std::runtime_error("client of " + className_ + " needs two numbers");
  const bool borderless = form.Text("border", "single") == "none";
  const DWORD style = borderless ? WS_POPUP : WS_OVERLAPPEDWINDOW;
  RECT outer = {0, 0, client[0], client[1]};
  AdjustWindowRectEx(&outer, style, FALSE, 0);

  RegisterFormClass(className_, WindowProc);
  // Owned by the hidden application window, as the framework's forms are: no taskbar button.
  CreateWindowExA(0, className_.c_str(), caption_.c_str(), style, form.Integer("left", 0),
                  form.Integer("top", 0), outer.right - outer.left, outer.bottom - outer.top,
                  App().Handle(), nullptr, GetModuleHandleA(nullptr), this);
  if (window_ == nullptr) throw std::runtime_error("cannot create the window of " + className_);

  for (size_t i = 1; i < items.size(); ++i) {
    if (FindComponent(items[i].name) != nullptr)
      throw std::runtime_error("layout has two components named " + items[i].name);
    components_.push_back(MakeComponent(*this, items[i]));
    if (auto* control = dynamic_cast<Control*>(components_.back().get()))
      controls_.push_back(control);
  }
  CreateTooltips();
  for (auto& component : components_) component->Loaded();
}

Form::~Form() {
  // Clients lose the object first; none may bring it back while the form goes.
  destroying_ = true;
  accessibility_.reset();
  // The components go while the window still exists: the tray icon and the timers need it.
  controls_.clear();
  pressed_ = nullptr;
  components_.clear();
  if (window_ != nullptr) DestroyWindow(window_);
  if (backDc_ != nullptr) {
    SelectObject(backDc_, backPrevious_);
    DeleteDC(backDc_);
  }
  if (backBitmap_ != nullptr) DeleteObject(backBitmap_);
}

void Form::DoCreate() {
  if (OnCreate) OnCreate(*this);
}

int Form::Left() const {
  RECT r;
  GetWindowRect(window_, &r);
  return r.left;
}

int Form::Top() const {
  RECT r;
  GetWindowRect(window_, &r);
  return r.top;
}

int Form::Width() const {
  RECT r;
  GetWindowRect(window_, &r);
  return r.right - r.left;
}

int Form::Height() const {
  RECT r;
  GetWindowRect(window_, &r);
  return r.bottom - r.top;
}

void Form::SetLeft(int left) {
  SetWindowPos(window_, nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetTop(int top) {
  SetWindowPos(window_, nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
  if (!visible_) {
    // Marked visible first, so a Show from inside OnShow (or its error box) does not run it again.
    visible_ = true;
    Guarded([&] {
      if (OnShow) OnShow(*this);
    });
    // The program was told to end while OnShow's error box was up: nothing more to show.
    if (App().Terminated()) return;
    // The system announces the window; the client object, whose children draw themselves,
    // is ours to announce, once its texts are those of this showing.
    if (!ShowWindow(window_, SW_SHOWNORMAL))
      NotifyWinEvent(EVENT_OBJECT_SHOW, window_, OBJID_CLIENT, CHILDID_SELF);
  }
  BringToFront();
}

void Form::Hide() {
  visible_ = false;
  if (ShowWindow(window_, SW_HIDE))
    NotifyWinEvent(EVENT_OBJECT_HIDE, window_, OBJID_CLIENT, CHILDID_SELF);
}

void Form::Close() {
  if (App().MainForm() == this)
    App().Terminate();
  else
    Hide();
}

void Form::BringToFront() {
  SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Form::SetRegion(HRGN region, bool redraw) {
  // Once given, the region belongs to the system; one it refused is still ours to delete.
  if (SetWindowRgn(window_, region, redraw) == 0 && region != nullptr) DeleteObject(region);
}

Component* Form::FindComponent(const std::string& name) const {
  for (const auto& component : components_)
    if (component->Name() == name) return component.get();
  return nullptr;
}

Control* Form::ControlAt(POINT client) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
    if ((*it)->Visible() && PtInRect(&(*it)->BoundsRect(), client)) return *it;
  return nullptr;
}

void Form::InvalidateRect(const RECT& rect) const {
  if (window_ != nullptr) ::InvalidateRect(window_, &rect, FALSE);
}

void Form::CreateTooltips() {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (!controls_[i]->ShowHint()) continue;
    if (tooltip_ == nullptr) {
      tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 window_, nullptr, GetModuleHandleA(nullptr), nullptr);
      if (tooltip_ == nullptr) return;  // no tooltips is no reason to fail
    }
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = i + 1;
    tool.rect = controls_[i]->BoundsRect();
    std::string hint = controls_[i]->Hint();
    tool.lpszText = &hint[0];
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Form::ControlChanged(const Control& control) {
  if (tooltip_ == nullptr || !control.ShowHint()) return;
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] != &control) continue;
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = window_;
    tool.uId = i + 1;
    tool.rect = control.BoundsRect();
    SendMessageA(tooltip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    std::string hint = control.Hint();
    tool.lpszText = &hint[0];
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Form::ControlNameChanged(const Control& control) { NotifyNameChange(*this, control); }

void Form::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  RECT client;
  GetClientRect(window_, &client);
  if (backDc_ == nullptr || backSize_.cx != client.right || backSize_.cy != client.bottom) {
    if (backDc_ != nullptr) {
      SelectObject(backDc_, backPrevious_);
      DeleteDC(backDc_);
      DeleteObject(backBitmap_);
    }
    backDc_ = CreateCompatibleDC(dc);
    backBitmap_ = CreateCompatibleBitmap(dc, client.right, client.bottom);
    backPrevious_ = SelectObject(backDc_, backBitmap_);
    backSize_ = {client.right, client.bottom};
  }
  // The DC brush: no brush is created per paint.
  SetDCBrushColor(backDc_, color_);
  FillRect(backDc_, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  for (Control* control : controls_) {
    RECT overlap;
    if (control->Visible() && IntersectRect(&overlap, &control->BoundsRect(), &ps.rcPaint))
      control->Paint(backDc_);
  }
  const RECT& r = ps.rcPaint;
  BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, backDc_, r.left, r.top, SRCCOPY);
  EndPaint(window_, &ps);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    form->window_ = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  bool done = false;
  Guarded([&] {
    result = form->Dispatch(message, wParam, lParam);
    done = true;
  });
  return done ? result : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Form::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (accessibility_ != nullptr && accessibility_->HandleMessage(message)) return 0;
  for (auto& component : components_) {
    LRESULT result = 0;
    if (component->HandleMessage(message, wParam, lParam, result)) return result;
  }
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers the whole client area
    case WM_NCHITTEST: {
      HitTest test = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam),
                      DefWindowProcA(window_, message, wParam, lParam)};
      if (OnHitTest) OnHitTest(test);
      return test.result;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(window_, &p);
        Control* control = ControlAt(p);
        const bool hand = control != nullptr && control->HandCursor();
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(hand ? IDC_HAND : IDC_ARROW)));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      pressed_ = ControlAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      SetCapture(window_);
      return 0;
    case WM_LBUTTONUP: {
      Control* pressed = pressed_;
      pressed_ = nullptr;
      if (GetCapture() == window_) ReleaseCapture();
      if (pressed != nullptr && pressed == ControlAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
        pressed->Click();
      return 0;
    }
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window_) pressed_ = nullptr;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_GETOBJECT:
      // Only the client area is ours to describe; the system answers for the rest.
      if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT) && !destroying_) {
        if (accessibility_ == nullptr) accessibility_ = std::make_unique<FormAccessibility>(*this);
        if (LRESULT answer = accessibility_->Answer(wParam)) return answer;
      }
      break;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace platform
