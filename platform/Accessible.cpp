#include "platform/Accessible.h"

#include <oleacc.h>

#include <algorithm>
#include <new>
#include <string>
#include <utility>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/SystemLibrary.h"

namespace platform {
namespace {

// COM, BSTRs and the marshalling helper, loaded from the system folder at the first client's
// request: oleacc is no KnownDLL, so it must not be an import, and a program that nobody
// reads should not pay for COM at start.
struct ComRuntime {
  SystemLibrary ole32{"ole32.dll"};
  SystemLibrary oleaut32{"oleaut32.dll"};
  SystemLibrary oleacc{"oleacc.dll"};
  decltype(&CoInitializeEx) coInitializeEx = ole32.Proc<decltype(&CoInitializeEx)>("CoInitializeEx");
  decltype(&CoUninitialize) coUninitialize = ole32.Proc<decltype(&CoUninitialize)>("CoUninitialize");
  decltype(&CoDisconnectObject) coDisconnectObject =
      ole32.Proc<decltype(&CoDisconnectObject)>("CoDisconnectObject");
  decltype(&SysAllocStringLen) sysAllocStringLen =
      oleaut32.Proc<decltype(&SysAllocStringLen)>("SysAllocStringLen");
  decltype(&LresultFromObject) lresultFromObject =
      oleacc.Proc<decltype(&LresultFromObject)>("LresultFromObject");
  decltype(&CreateStdAccessibleObject) createStdAccessibleObject =
      oleacc.Proc<decltype(&CreateStdAccessibleObject)>("CreateStdAccessibleObject");

  bool Ready() const {
    return coInitializeEx && coUninitialize && coDisconnectObject && sysAllocStringLen &&
           lresultFromObject && createStdAccessibleObject;
  }
};

ComRuntime& Com() {
  static ComRuntime runtime;
  return runtime;
}

// What a control is to a reader, from what it is and has.
enum class Kind { Hidden, Text, Link, Button, Graphic };

Kind KindOf(const Control& control) {
  const bool clickable = static_cast<bool>(control.OnClick);
  if (dynamic_cast<const Label*>(&control) != nullptr) return clickable ? Kind::Link : Kind::Text;
  if (dynamic_cast<const Image*>(&control) != nullptr) {
    if (clickable) return Kind::Button;
    return control.Hint().empty() ? Kind::Hidden : Kind::Graphic;
  }
  return Kind::Hidden;
}

std::string NameOf(const Control& control) {
  if (const auto* label = dynamic_cast<const Label*>(&control)) return label->Caption();
  return control.Hint();
}

// The texts are ANSI, in the system's code page, as they are drawn.
BSTR ToBstr(const std::string& text) {
  const int length = text.empty() ? 0
                                  : MultiByteToWideChar(CP_ACP, 0, text.data(),
                                                        static_cast<int>(text.size()), nullptr, 0);
  BSTR result = Com().sysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (result == nullptr) throw std::bad_alloc();
  if (length > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result, length);
  return result;
}

// Runs a COM method's body: nothing it throws may reach the caller's frames.
template <class F>
HRESULT Guard(F&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

UINT ActionMessage() {
  static const UINT message = RegisterWindowMessageA("platform.FormAccessibleAction");
  return message;
}

// A snapshot of child ids 1..count, for IEnumVARIANT::Clone.
class ChildIds final : public IEnumVARIANT {
 public:
  ChildIds(ULONG count, ULONG position) : count_(count), position_(position) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IEnumVARIANT)) {
      *object = static_cast<IEnumVARIANT*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
    return Fill(count_, position_, wanted, out, fetched);
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG n) override {
    position_ = std::min(count_, position_ + n);
    return position_ < count_ || n == 0 ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    *out = new (std::nothrow) ChildIds(count_, position_);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  static HRESULT Fill(ULONG count, ULONG& position, ULONG wanted, VARIANT* out, ULONG* fetched) {
    if (out == nullptr) return E_POINTER;
    ULONG n = 0;
    for (; n < wanted && position < count; ++n, ++position) {
      out[n].vt = VT_I4;
      out[n].lVal = static_cast<LONG>(position + 1);
    }
    if (fetched != nullptr) *fetched = n;
    return n == wanted ? S_OK : S_FALSE;
  }

 private:
  LONG references_ = 1;
  ULONG count_;
  ULONG position_;
};

}  // namespace

std::vector<Control*> ReadingOrder(const Form& form) {
  std::vector<Control*> shown;
  for (Control* control : form.Controls())
    if (control->Visible() && KindOf(*control) != Kind::Hidden) shown.push_back(control);
  std::stable_sort(shown.begin(), shown.end(), [](const Control* a, const Control* b) {
    return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
  });
  // Pieces of one line differ by a few pixels in top and height (a bold link beside a
  // heading): a line is the rows of its topmost control.
  std::vector<std::vector<Control*>> lines;
  for (Control* control : shown) {
    const int centre = control->Top() + control->Height() / 2;
    auto line = std::find_if(lines.begin(), lines.end(), [&](const std::vector<Control*>& l) {
      return centre >= l.front()->Top() && centre < l.front()->Top() + l.front()->Height();
    });
    if (line == lines.end())
      lines.push_back({control});
    else
      line->push_back(control);
  }
  std::vector<Control*> ordered;
  for (auto& line : lines) {
    std::stable_sort(line.begin(), line.end(),
                     [](const Control* a, const Control* b) { return a->Left() < b->Left(); });
    ordered.insert(ordered.end(), line.begin(), line.end());
  }
  return ordered;
}

void NotifyNameChange(const Form& form, const Control& control) {
  if (form.Handle() == nullptr) return;
  const std::vector<Control*> children = ReadingOrder(form);
  auto found = std::find(children.begin(), children.end(), &control);
  if (found == children.end()) return;
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, form.Handle(), OBJID_CLIENT,
                 static_cast<LONG>(found - children.begin()) + 1);
}

// The form's client object. Child ids are positions in reading order, counted from 1.
class FormAccessible final : public IAccessible, public IEnumVARIANT {
 public:
  FormAccessible(Form& form, FormAccessibility& owner) : form_(&form), owner_(&owner) {}

  // After this, every method answers that the object is gone.
  void Detach() {
    form_ = nullptr;
    owner_ = nullptr;
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
        riid == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
    } else if (riid == __uuidof(IEnumVARIANT)) {
      *object = static_cast<IEnumVARIANT*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: clients call the vtable; late binding is not offered.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    return Guard([&]() -> HRESULT {
      if (form_ == nullptr) return CO_E_OBJNOTCONNECTED;
      // The window's own object, which the system provides.
      HRESULT hr = Com().createStdAccessibleObject(form_->Handle(), OBJID_WINDOW,
                                                   __uuidof(IDispatch),
                                                   reinterpret_cast<void**>(parent));
      return SUCCEEDED(hr) && *parent != nullptr ? S_OK : S_FALSE;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return Guard([&]() -> HRESULT {
      if (form_ == nullptr) return CO_E_OBJNOTCONNECTED;
      *count = static_cast<long>(ReadingOrder(*form_).size());
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(child, control);
      if (FAILED(hr)) return hr;
      // The children are simple elements of this object, not objects of their own.
      return control != nullptr ? S_FALSE : E_INVALIDARG;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(child, control);
      if (FAILED(hr)) return hr;
      *name = ToBstr(control != nullptr ? NameOf(*control) : form_->Caption());
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return NoString(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return NoString(child, text);
  }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    role->vt = VT_EMPTY;
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(child, control);
      if (FAILED(hr)) return hr;
      long value = ROLE_SYSTEM_CLIENT;
      if (control != nullptr) {
        switch (KindOf(*control)) {
          case Kind::Link: value = ROLE_SYSTEM_LINK; break;
          case Kind::Button: value = ROLE_SYSTEM_PUSHBUTTON; break;
          case Kind::Graphic: value = ROLE_SYSTEM_GRAPHIC; break;
          default: value = ROLE_SYSTEM_STATICTEXT; break;
        }
      }
      role->vt = VT_I4;
      role->lVal = value;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    state->vt = VT_EMPTY;
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(child, control);
      if (FAILED(hr)) return hr;
      HWND window = form_->Handle();
      long value = IsWindowVisible(window) ? 0 : STATE_SYSTEM_INVISIBLE;
      if (control == nullptr) {
        value |= STATE_SYSTEM_FOCUSABLE;
        if (GetFocus() == window) value |= STATE_SYSTEM_FOCUSED;
      } else {
        switch (KindOf(*control)) {
          case Kind::Link: value |= STATE_SYSTEM_LINKED; break;
          case Kind::Button: break;
          default: value |= STATE_SYSTEM_READONLY; break;
        }
      }
      state->vt = VT_I4;
      state->lVal = value;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return NoString(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = 0;
    return form_ == nullptr ? CO_E_OBJNOTCONNECTED : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return NoString(child, keys);
  }

  // The window has the keyboard focus or nothing here has; no control takes it.
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    focus->vt = VT_EMPTY;
    return Guard([&]() -> HRESULT {
      if (form_ == nullptr) return CO_E_OBJNOTCONNECTED;
      if (GetFocus() != form_->Handle()) return S_FALSE;
      focus->vt = VT_I4;
      focus->lVal = CHILDID_SELF;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) return E_POINTER;
    selection->vt = VT_EMPTY;
    return form_ == nullptr ? CO_E_OBJNOTCONNECTED : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (action == nullptr) return E_POINTER;
    *action = nullptr;
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(child, control);
      if (FAILED(hr)) return hr;
      const Kind kind = control != nullptr ? KindOf(*control) : Kind::Hidden;
      if (kind == Kind::Link) *action = ToBstr("Jump");
      else if (kind == Kind::Button) *action = ToBstr("Press");
      else return DISP_E_MEMBERNOTFOUND;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT child) override {
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(child, control);
      return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
    });
  }

  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
      return E_POINTER;
    *left = *top = *width = *height = 0;
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(child, control);
      if (FAILED(hr)) return hr;
      RECT r;
      if (control != nullptr) {
        r = control->BoundsRect();
      } else if (!GetClientRect(form_->Handle(), &r)) {
        return E_FAIL;
      }
      MapWindowPoints(form_->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
      *left = r.left;
      *top = r.top;
      *width = r.right - r.left;
      *height = r.bottom - r.top;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (end == nullptr) return E_POINTER;
    end->vt = VT_EMPTY;
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(start, control);
      if (FAILED(hr)) return hr;
      const long count = static_cast<long>(ReadingOrder(*form_).size());
      long target = 0;
      if (control == nullptr) {
        if (direction == NAVDIR_FIRSTCHILD) target = 1;
        else if (direction == NAVDIR_LASTCHILD) target = count;
        else return DISP_E_MEMBERNOTFOUND;  // the form's siblings are the window's business
      } else {
        if (direction == NAVDIR_NEXT) target = start.lVal + 1;
        else if (direction == NAVDIR_PREVIOUS) target = start.lVal - 1;
        else if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) return E_INVALIDARG;
        else return DISP_E_MEMBERNOTFOUND;
      }
      if (target < 1 || target > count) return S_FALSE;
      end->vt = VT_I4;
      end->lVal = target;
      return S_OK;
    });
  }

  // As the window itself answers: outside its region nothing; where its hit test says
  // anything but the client area (the header that drags it) the form; else the control.
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    if (child == nullptr) return E_POINTER;
    child->vt = VT_EMPTY;
    return Guard([&]() -> HRESULT {
      if (form_ == nullptr) return CO_E_OBJNOTCONNECTED;
      HWND window = form_->Handle();
      RECT outer;
      if (!IsWindowVisible(window) || !GetWindowRect(window, &outer)) return S_FALSE;
      const POINT screen = {x, y};
      if (!PtInRect(&outer, screen)) return S_FALSE;
      HRGN region = CreateRectRgn(0, 0, 0, 0);
      const bool outside = region != nullptr && GetWindowRgn(window, region) != ERROR &&
                           !PtInRegion(region, x - outer.left, y - outer.top);
      if (region != nullptr) DeleteObject(region);
      if (outside) return S_FALSE;
      const LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0,
                                       MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
      if (hit == HTNOWHERE || hit == HTTRANSPARENT || hit == HTERROR) return S_FALSE;
      long id = CHILDID_SELF;
      if (hit == HTCLIENT) {
        POINT client = screen;
        ScreenToClient(window, &client);
        if (Control* control = form_->ControlAt(client)) {
          const std::vector<Control*> children = ReadingOrder(*form_);
          auto found = std::find(children.begin(), children.end(), control);
          if (found != children.end()) id = static_cast<long>(found - children.begin()) + 1;
        }
      }
      child->vt = VT_I4;
      child->lVal = id;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(child, control);
      if (FAILED(hr)) return hr;
      const Kind kind = control != nullptr ? KindOf(*control) : Kind::Hidden;
      if (kind != Kind::Link && kind != Kind::Button) return DISP_E_MEMBERNOTFOUND;
      // Nobody can click a control of a hidden window.
      if (!IsWindowVisible(form_->Handle())) return E_FAIL;
      owner_->RequestClick(control);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  // IEnumVARIANT: the child ids, which AccessibleChildren asks for.
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
    if (fetched != nullptr) *fetched = 0;
    return Guard([&]() -> HRESULT {
      if (form_ == nullptr) return CO_E_OBJNOTCONNECTED;
      return ChildIds::Fill(static_cast<ULONG>(ReadingOrder(*form_).size()), position_, wanted,
                            out, fetched);
    });
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG n) override {
    return Guard([&]() -> HRESULT {
      if (form_ == nullptr) return CO_E_OBJNOTCONNECTED;
      const ULONG count = static_cast<ULONG>(ReadingOrder(*form_).size());
      position_ = std::min(count, position_ + n);
      return position_ < count || n == 0 ? S_OK : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return form_ == nullptr ? CO_E_OBJNOTCONNECTED : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guard([&]() -> HRESULT {
      if (form_ == nullptr) return CO_E_OBJNOTCONNECTED;
      *out = new ChildIds(static_cast<ULONG>(ReadingOrder(*form_).size()), position_);
      return S_OK;
    });
  }

 private:
  // The control a child id names (nullptr for the form itself).
  HRESULT Resolve(const VARIANT& child, Control*& control) const {
    control = nullptr;
    if (form_ == nullptr) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) return S_OK;
    const std::vector<Control*> children = ReadingOrder(*form_);
    if (child.lVal < 1 || static_cast<size_t>(child.lVal) > children.size()) return E_INVALIDARG;
    control = children[child.lVal - 1];
    return S_OK;
  }

  HRESULT NoString(const VARIANT& child, BSTR* out) const {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guard([&]() -> HRESULT {
      Control* control = nullptr;
      HRESULT hr = Resolve(child, control);
      return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
    });
  }

  LONG references_ = 1;
  Form* form_;
  FormAccessibility* owner_;
  ULONG position_ = 0;
};

FormAccessibility::FormAccessibility(Form& form) : form_(form) {
  ComRuntime& com = Com();
  if (!com.Ready()) return;
  const HRESULT hr = com.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  comInitialized_ = SUCCEEDED(hr);
  // A thread in the multithreaded apartment can still marshal; any other failure cannot.
  if (!comInitialized_ && hr != RPC_E_CHANGED_MODE) return;
  object_ = new FormAccessible(form, *this);
}

FormAccessibility::~FormAccessibility() {
  if (object_ != nullptr) {
    object_->Detach();
    // Clients in other processes lose their stubs now, not when they let go.
    Com().coDisconnectObject(static_cast<IAccessible*>(object_), 0);
    object_->Release();
  }
  if (comInitialized_) Com().coUninitialize();
}

LRESULT FormAccessibility::Answer(WPARAM wParam) {
  if (object_ == nullptr) return 0;
  return Com().lresultFromObject(__uuidof(IAccessible), wParam,
                                 static_cast<IAccessible*>(object_));
}

void FormAccessibility::RequestClick(Control* control) {
  pendingClicks_.push_back(control);
  PostMessageA(form_.Handle(), ActionMessage(), 0, 0);
}

bool FormAccessibility::HandleMessage(UINT message) {
  if (message != ActionMessage()) return false;
  // Only clicks a client asked for: a stray message of this number finds none.
  std::vector<Control*> clicks;
  clicks.swap(pendingClicks_);
  for (Control* control : clicks)
    if (IsWindowVisible(form_.Handle()) && control->Visible()) control->Click();
  return true;
}

}  // namespace platform
