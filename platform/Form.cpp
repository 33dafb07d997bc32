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
  font_ = form.Has("font")
              ? &SharedFont(form.Text("font"), form.Integer("height", -11), form.Flag("bold", false))
              : &SharedFont("Arial", -11, false);

  std::vector<int> client = form.Numbers("client");
  if (client.size() != 2) throw std::runtime_error("client of " + className_ + " needs two numbers");
  const bool borderless = form.Text("border", "single") == "none";
  const DWORD style = borderless ? WS_POPUP : WS_OVERLAPPEDWINDOW;
  RECT outer = {0, 0, client[0], client[1]};
  AdjustWindowRectEx(&outer, style, FALSE, 0);

  RegisterFormClass(className_, WindowProc);
  // Owned by the hidden application window, as the framework's forms are: no taskbar button.
  // window_ takes the handle at WM_NCCREATE, so the messages of the creation reach the form.
  CreateWindowExA(0, className_.c_str(), caption_.c_str(), style, form.Integer("left", 0),
                  form.Integer("top", 0), outer.right - outer.left, outer.bottom - outer.top,
                  App().Handle(), nullptr, GetModuleHandleA(nullptr), this);
  if (!window_) throw std::runtime_error("cannot create the window of " + className_);

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

// The members' order does the work (see Form.h).
Form::~Form() = default;

const Font& Form::SharedFont(const std::string& face, int height, bool bold) {
  auto found = fonts_.try_emplace(std::make_tuple(face, height, bold));
  if (found.second) found.first->second = Font(face, height, bold);
  return found.first->second;
}

void Form::DoCreate() {
  if (OnCreate) OnCreate(*this);
}

int Form::Left() const {
  RECT r;
  GetWindowRect(Handle(), &r);
  return r.left;
}

int Form::Top() const {
  RECT r;
  GetWindowRect(Handle(), &r);
  return r.top;
}

int Form::Width() const {
  RECT r;
  GetWindowRect(Handle(), &r);
  return r.right - r.left;
}

int Form::Height() const {
  RECT r;
  GetWindowRect(Handle(), &r);
  return r.bottom - r.top;
}

void Form::SetLeft(int left) {
  SetWindowPos(Handle(), nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetTop(int top) {
  SetWindowPos(Handle(), nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (!ShowWindow(Handle(), SW_SHOWNORMAL))
      NotifyWinEvent(EVENT_OBJECT_SHOW, Handle(), OBJID_CLIENT, CHILDID_SELF);
  }
  BringToFront();
}

void Form::Hide() {
  visible_ = false;
  if (ShowWindow(Handle(), SW_HIDE))
    NotifyWinEvent(EVENT_OBJECT_HIDE, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

void Form::Close() {
  if (App().MainForm() == this)
    App().Terminate();
  else
    Hide();
}

void Form::BringToFront() {
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Form::SetRegion(Region region, bool redraw) {
  // Once given, the region belongs to the system; one it refused is still ours to delete.
  if (SetWindowRgn(Handle(), region.Get(), redraw) != 0) region.Release();
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
  if (window_) ::InvalidateRect(Handle(), &rect, FALSE);
}

void Form::CreateTooltips() {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (!controls_[i]->ShowHint()) continue;
    if (!tooltip_) {
      tooltip_.Reset(CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                     Handle(), nullptr, GetModuleHandleA(nullptr), nullptr));
      if (!tooltip_) return;  // no tooltips is no reason to fail
    }
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = i + 1;
    tool.rect = controls_[i]->BoundsRect();
    std::string hint = controls_[i]->Hint();
    tool.lpszText = &hint[0];
    SendMessageA(tooltip_.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Form::ControlChanged(const Control& control) {
  if (!tooltip_ || !control.ShowHint()) return;
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] != &control) continue;
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = Handle();
    tool.uId = i + 1;
    tool.rect = control.BoundsRect();
    SendMessageA(tooltip_.Get(), TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    std::string hint = control.Hint();
    tool.lpszText = &hint[0];
    SendMessageA(tooltip_.Get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Form::ControlNameChanged(const Control& control) { NotifyNameChange(*this, control); }

void Form::Paint() {
  PaintScope paint(Handle());
  const RECT& r = paint.Rect();
  RECT client;
  GetClientRect(Handle(), &client);
  // Without a back buffer (no memory for one) the controls go straight to the window: it may
  // flicker, but it shows.
  HDC back = backBuffer_.Prepare(paint.Dc(), client.right, client.bottom);
  HDC dc = back != nullptr ? back : paint.Dc();
  // The DC brush: no brush is created per paint.
  SetDCBrushColor(dc, color_);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  for (Control* control : controls_) {
    RECT overlap;
    if (control->Visible() && IntersectRect(&overlap, &control->BoundsRect(), &r))
      control->Paint(dc);
  }
  if (back != nullptr) backBuffer_.Present(paint.Dc(), r);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    form->window_.Reset(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // Destroyed by the system (or a failed creation): nothing left for the owner to destroy.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    form->window_.Release();
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

// Every message of the form's window takes one path, in this order:
//   1. the components, in layout order, until one handles it: a timer takes its own
//      WM_TIMER, the tray icon its callback message; the tray icon also sees the shell's
//      "TaskbarCreated" and passes it on;
//   2. the form's own cases below: painting, hit test, cursor, presses on controls, close;
//   3. DefWindowProcA.
// An exception on the way is caught in WindowProc: error box, then DefWindowProcA.
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
                      DefWindowProcA(Handle(), message, wParam, lParam)};
      if (OnHitTest) OnHitTest(test);
      return test.result;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(Handle(), &p);
        Control* control = ControlAt(p);
        const bool hand = control != nullptr && control->HandCursor();
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(hand ? IDC_HAND : IDC_ARROW)));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      pressed_ = ControlAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      SetCapture(Handle());
      return 0;
    case WM_LBUTTONUP: {
      Control* pressed = pressed_;
      pressed_ = nullptr;
      if (GetCapture() == Handle()) ReleaseCapture();
      if (pressed != nullptr && pressed == ControlAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
        pressed->Click();
      return 0;
    }
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != Handle()) pressed_ = nullptr;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_GETOBJECT:
      // Only the client area is ours to describe; the system answers for the rest.
      if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (accessibility_ == nullptr) accessibility_ = std::make_unique<FormAccessibility>(*this);
        if (LRESULT answer = accessibility_->Answer(wParam)) return answer;
      }
      break;
  }
  return DefWindowProcA(Handle(), message, wParam, lParam);
}

}  // namespace platform
