// The built VtxGuard.exe read by an accessibility client in this process, as a screen reader
// would read it: the popup's client object from AccessibleObjectFromWindow, its children
// with role, name, location and default action, hit tests, the default actions, and the
// events the popup raises (WinEvent hook out of context).
#include <windows.h>

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace reg = testsupport::reg;
using testsupport::InstallFolder;
using testsupport::Process;
using testsupport::WaitFor;

namespace {

const std::string kSettings = "SOFTWARE\\Vantorix";
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const UINT kTrayCallback = WM_APP + 1;
const UINT kTrayId = 1;
const WPARAM kCloseCode = 1028;

// 5 + 7 items found, 3 junk files, the logon entry, a scan at start-up.
void StoreSampleState() {
  reg::SetDword(kSettings, "ItemsToFix", 5);
  reg::SetDword(kSettings, "ItemsToClean", 7);
  reg::SetDword(kSettings, "ItemsToJunk", 3);
  reg::SetString(kRun, "Vantorix", "x");
  reg::SetDword(kSettings, "ScanAtStartup", 1);
}

void ClearRegistry() {
  reg::DeleteTree(kSettings);
  reg::DeleteValue(kRun, "Vantorix");
}

std::string Ansi(BSTR text) {
  if (text == nullptr) return "";
  const int wide = static_cast<int>(SysStringLen(text));
  const int length = WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, wide, &result[0], length, nullptr, nullptr);
  SysFreeString(text);
  return result;
}

VARIANT Id(LONG id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

struct Child {
  LONG id = 0;
  LONG role = 0;
  std::string name;
  RECT screen = {};  // from accLocation
  std::string action;
};

const char* RoleName(LONG role) {
  switch (role) {
    case ROLE_SYSTEM_STATICTEXT: return "text";
    case ROLE_SYSTEM_LINK: return "link";
    case ROLE_SYSTEM_PUSHBUTTON: return "button";
    case ROLE_SYSTEM_GRAPHIC: return "graphic";
    case ROLE_SYSTEM_CLIENT: return "client";
    default: return "other";
  }
}

Child Describe(IAccessible* object, LONG id) {
  Child c;
  c.id = id;
  VARIANT v = Id(id);
  VARIANT role;
  VariantInit(&role);
  if (SUCCEEDED(object->get_accRole(v, &role)) && role.vt == VT_I4) c.role = role.lVal;
  BSTR text = nullptr;
  if (SUCCEEDED(object->get_accName(v, &text))) c.name = Ansi(text);
  long l = 0, t = 0, w = 0, h = 0;
  if (SUCCEEDED(object->accLocation(&l, &t, &w, &h, v))) c.screen = {l, t, l + w, t + h};
  text = nullptr;
  if (object->get_accDefaultAction(v, &text) == S_OK) c.action = Ansi(text);
  return c;
}

// The children as AccessibleChildren gives them, in its order.
std::vector<Child> List(IAccessible* object) {
  long count = 0;
  EXPECT_EQ(S_OK, object->get_accChildCount(&count));
  std::vector<VARIANT> ids(static_cast<size_t>(std::max(count, 1L)));
  LONG got = 0;
  EXPECT_EQ(S_OK, AccessibleChildren(object, 0, count, ids.data(), &got));
  EXPECT_EQ(got, count);
  std::vector<Child> children;
  for (LONG i = 0; i < got; ++i) {
    EXPECT_EQ(ids[i].vt, VT_I4) << "child " << i << " is an object, not a simple element";
    if (ids[i].vt == VT_I4) children.push_back(Describe(object, ids[i].lVal));
    VariantClear(&ids[i]);
  }
  return children;
}

std::string Line(const Child& c) {
  return std::string(RoleName(c.role)) + " \"" + c.name + "\"" +
         (c.action.empty() ? "" : " [" + c.action + "]");
}

const Child* Named(const std::vector<Child>& children, const std::string& name) {
  for (const Child& c : children)
    if (c.name == name) return &c;
  return nullptr;
}

// Events of one process, received out of context: delivered while this thread pumps.
struct WinEvent {
  DWORD event;
  HWND window;
  LONG object;
  LONG child;
};
std::vector<WinEvent> g_events;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                          DWORD, DWORD) {
  g_events.push_back({event, window, object, child});
}

void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

class Accessible : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearRegistry();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    folder_.Copy("VtxGuard.exe", "VtxGuard.exe");
  }

  void TearDown() override {
    if (object_ != nullptr) object_->Release();
    object_ = nullptr;
    if (hook_ != nullptr) UnhookWinEvent(hook_);
    for (auto& process : processes_) {
      if (process->ExitCode() != STILL_ACTIVE) continue;
      for (HWND w : testsupport::WindowsTitled("VtxGuard"))
        if (testsupport::WindowProcessId(w) == process->Id())
          PostMessageA(w, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
      if (!process->Wait(10000)) process->Terminate();
    }
    const UINT mainClose = RegisterWindowMessageA("VtxUninstall");
    for (HWND w : testsupport::WindowsTitled("Vantorix")) PostMessageA(w, mainClose, 1026, 0);
    WaitFor([] { return testsupport::WindowsTitled("Vantorix").empty(); }, 5000);
    CoUninitialize();
    ClearRegistry();
  }

  // Starts the monitor, waits for its popup and takes the popup's client object.
  void Start() {
    processes_.push_back(std::make_unique<Process>(folder_ / "VtxGuard.exe"));
    pid_ = processes_.back()->Id();
    ASSERT_TRUE(WaitFor([&] {
      popup_ = testsupport::WindowOf(pid_, "TForm2", "VtxGuard");
      return popup_ != nullptr && IsWindowVisible(popup_);
    }, 10000)) << "no popup";
    host_ = testsupport::WindowOf(pid_, "TForm1", "VtxGuard");
    ASSERT_NE(host_, nullptr);
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(popup_, static_cast<DWORD>(OBJID_CLIENT),
                                               __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&object_)));
    ASSERT_NE(object_, nullptr);
  }

  void Hook() {
    g_events.clear();
    hook_ = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, RecordEvent, pid_, 0,
                            WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook_, nullptr);
  }

  bool PopupVisible() const { return IsWindowVisible(popup_) != FALSE; }
  RECT PopupRect() const {
    RECT r;
    GetWindowRect(popup_, &r);
    return r;
  }

  std::vector<std::string> MainStarts() const {
    std::vector<std::string> starts;
    for (const auto& e : testsupport::ReadStubLog(folder_, "Vantorix"))
      if (e.kind == "start") starts.push_back(e.fields.at(0));
    return starts;
  }

  void ShowFromTray() {
    PostMessageA(host_, kTrayCallback, kTrayId, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitFor([&] { return PopupVisible(); }, 5000));
  }

  InstallFolder folder_;
  std::vector<std::unique_ptr<Process>> processes_;
  DWORD pid_ = 0;
  HWND host_ = nullptr;
  HWND popup_ = nullptr;
  IAccessible* object_ = nullptr;
  HWINEVENTHOOK hook_ = nullptr;
};

std::vector<std::string> Lines(const std::vector<Child>& children) {
  std::vector<std::string> lines;
  for (const Child& c : children) lines.push_back(Line(c));
  return lines;
}

// The popup's texts in reading order; the counts are 5 + 7, 7 and 3, the scan line as set.
struct Language {
  const char* label;
  int code;            // "Language"; 0: none set
  const char* file;    // written beside the monitor under the file name of the code
  const char* content;
  std::vector<std::string> expected;
};

// A translation of the test's own, with characters of the ANSI code page beyond ASCII.
const char kOwnLanguage[] =
    "[VedadEzodi]\r\n"
    "VedadEzodi=Leistungs\xFC" "berwachung\r\n"
    "SystemStatus=Systemzustand\r\n"
    "Start=Starten\r\n"
    "Message1a=Gefunden wurden\r\n"
    "Message1b=Eintr\xE4ge\r\n"
    "Message1c=zum Aufr\xE4umen.\r\n"
    "Cleanup=Aufr\xE4umen\r\n"
    "Message2=Halten Sie Ihren Rechner sauber\r\n"
    "Message2a=Es gibt\r\n"
    "Message2b=Datenschutzrisiken\r\n"
    "Message2c=Junk-Dateien\r\n"
    "AutomaticScan=Automatische Pr\xFC" "fung\r\n"
    "Configure=Einstellen\r\n"
    "Message3b=Pr\xFC" "fung beim Start\r\n"
    "[Buttons]\r\n"
    "Close=Schlie\xDF" "en\r\n";

}  // namespace

// Both languages: the whole listing in reading order, then where each piece lies.
TEST_F(Accessible, ListsThePopupInReadingOrderInTheDefaultLanguageAndInATranslation) {
  const Language languages[] = {
      {"default", 0, nullptr, nullptr,
       {"text \"Vantorix\"", "button \"Close\" [Press]", "text \"Performance Monitor\"",
        "text \"System Status\"", "link \">>> Start\" [Jump]", "text \"Vantorix has found\"",
        "text \"12\"", "text \"items\"", "text \"to clean and optimize.\"", "text \"Clean up\"",
        "link \">>> Clean up\" [Jump]", "text \"Keep your computer clean and secure\"",
        "text \"There are\"", "text \"7\"", "text \"privacy risks available for cleanup\"",
        "text \"There are\"", "text \"3\"", "text \"junk files available for cleanup\"",
        "text \"Automatic scan\"", "link \">>> Configure\" [Jump]",
        "text \"Scan at startup\""}},
      {"own file", 3, "German.ini", kOwnLanguage,
       {"text \"Vantorix\"", "button \"Schlie\xDF" "en\" [Press]",
        "text \"Leistungs\xFC" "berwachung\"", "text \"Systemzustand\"",
        "link \">>> Starten\" [Jump]", "text \"Gefunden wurden\"", "text \"12\"",
        "text \"Eintr\xE4ge\"", "text \"zum Aufr\xE4umen.\"", "text \"Aufr\xE4umen\"",
        "link \">>> Aufr\xE4umen\" [Jump]", "text \"Halten Sie Ihren Rechner sauber\"",
        "text \"Es gibt\"", "text \"7\"", "text \"Datenschutzrisiken\"", "text \"Es gibt\"",
        "text \"3\"", "text \"Junk-Dateien\"", "text \"Automatische Pr\xFC" "fung\"",
        "link \">>> Einstellen\" [Jump]", "text \"Pr\xFC" "fung beim Start\""}},
  };
  for (const Language& language : languages) {
    SCOPED_TRACE(language.label);
    if (language.file != nullptr) folder_.WriteFile(language.file, language.content);
    if (language.code != 0) reg::SetDword(kSettings, "Language", static_cast<DWORD>(language.code));
    StoreSampleState();
    Start();
    if (HasFatalFailure()) return;

    const std::vector<Child> children = List(object_);
    EXPECT_EQ(Lines(children), language.expected);

    // The form itself: the client area of the window titled "VtxGuard".
    const Child self = Describe(object_, CHILDID_SELF);
    const RECT popup = PopupRect();
    EXPECT_STREQ(RoleName(self.role), "client");
    EXPECT_EQ(self.name, "VtxGuard");
    EXPECT_TRUE(EqualRect(&self.screen, &popup));

    // Rectangles on the screen, where the layout puts them: the links end at their right
    // edge, the counts sit 6 pixels after the text before them, the close button is its picture.
    auto at = [&](size_t index) -> RECT {
      RECT r = children.at(index).screen;
      OffsetRect(&r, -popup.left, -popup.top);
      return r;
    };
    if (children.size() != language.expected.size()) continue;
    EXPECT_EQ(at(1).left, 332);
    EXPECT_EQ(at(1).top, 12);
    EXPECT_EQ(at(1).right, 352);
    EXPECT_EQ(at(1).bottom, 32);
    EXPECT_EQ(at(3).left, 72);
    EXPECT_EQ(at(3).top, 68);
    EXPECT_EQ(at(4).right, 338);
    EXPECT_EQ(at(10).right, 338);
    EXPECT_EQ(at(19).right, 339);
    EXPECT_EQ(at(6).left, at(5).right + 6);
    EXPECT_EQ(at(7).left, at(6).right + 6);
    EXPECT_EQ(at(14).left, at(13).right + 6);
    EXPECT_EQ(at(17).left, at(16).right + 6);
    EXPECT_EQ(at(20).left, 72);
    EXPECT_EQ(at(20).top, 228);
    for (const Child& c : children) {
      SCOPED_TRACE(c.name);
      RECT inside;
      EXPECT_TRUE(IntersectRect(&inside, &c.screen, &popup) && EqualRect(&inside, &c.screen));
      EXPECT_GT(c.screen.right - c.screen.left, 0);
    }

    // Stop the monitor before the next language.
    object_->Release();
    object_ = nullptr;
    PostMessageA(host_, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
    EXPECT_TRUE(processes_.back()->Wait(10000));
    ClearRegistry();
  }
}

// The window's own hit test decides: where it drags (the header, the top rows of the first
// link left of the close button) the form is hit, elsewhere the control under the point,
// outside the skin's outline nothing.
TEST_F(Accessible, HitTestAndFocusAgreeWithTheWindow) {
  Start();
  if (HasFatalFailure()) return;
  const std::vector<Child> children = List(object_);
  const Child* start = Named(children, ">>> Start");
  const Child* close = Named(children, "Close");
  const Child* heading = Named(children, "System Status");
  ASSERT_TRUE(start && close && heading);
  const RECT popup = PopupRect();
  const struct {
    int x, y;      // window coordinates
    LONG expected;  // child id; -1: nothing
  } points[] = {
      {100, 20, CHILDID_SELF},          // the header
      {70, 15, CHILDID_SELF},           // on "Vantorix", inside the header
      {300, 66, CHILDID_SELF},          // the first link's rows that drag
      {300, 72, start->id},             // the same link below them
      {342, 22, close->id},             // the close button
      {75, 75, heading->id},            // the first heading
      {30, 200, CHILDID_SELF},          // the panel: skin only
      {0, 0, -1},                       // a rounded-off corner
      {-5, 100, -1},                    // beside the window
  };
  for (const auto& p : points) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    VARIANT hit;
    VariantInit(&hit);
    const HRESULT hr = object_->accHitTest(popup.left + p.x, popup.top + p.y, &hit);
    if (p.expected < 0) {
      EXPECT_EQ(hr, S_FALSE);
      EXPECT_EQ(hit.vt, VT_EMPTY);
      continue;
    }
    EXPECT_EQ(hr, S_OK);
    ASSERT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, p.expected);
    // And the window says the same: the form where it drags, its client area elsewhere.
    const LRESULT window = SendMessageA(popup_, WM_NCHITTEST, 0,
                                        MAKELPARAM(popup.left + p.x, popup.top + p.y));
    if (window == HTCAPTION) EXPECT_EQ(hit.lVal, CHILDID_SELF);
    else EXPECT_EQ(window, HTCLIENT);
  }
  // Every child is hit at its centre, unless the window drags there.
  for (const Child& c : children) {
    SCOPED_TRACE(c.name);
    const int x = (c.screen.left + c.screen.right) / 2, y = (c.screen.top + c.screen.bottom) / 2;
    VARIANT hit;
    VariantInit(&hit);
    ASSERT_EQ(S_OK, object_->accHitTest(x, y, &hit));
    const bool drags = SendMessageA(popup_, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCAPTION;
    EXPECT_EQ(hit.lVal, drags ? CHILDID_SELF : c.id);
  }
  // The window holds the keyboard focus, or nothing here does; no control takes it.
  VARIANT focus;
  VariantInit(&focus);
  const HRESULT hr = object_->get_accFocus(&focus);
  std::printf("popup %s the foreground window; get_accFocus 0x%08lx\n",
              GetForegroundWindow() == popup_ ? "is" : "is not", static_cast<unsigned long>(hr));
  if (GetForegroundWindow() == popup_) {
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(focus.vt, VT_I4);
    EXPECT_EQ(focus.lVal, CHILDID_SELF);
  } else {
    EXPECT_EQ(focus.vt, VT_EMPTY);
  }
}

// "Press" hides the popup; at the next showing the counts and the scan line read the
// registry anew, each changed name announced for its own child before the client object is
// announced as shown, and the text after a wider count moved along.
TEST_F(Accessible, PressHidesAndTheNextShowingAnnouncesTheNewCounts) {
  folder_.AddStub("Vantorix.exe");
  StoreSampleState();
  Start();
  if (HasFatalFailure()) return;
  Hook();
  if (HasFatalFailure()) return;
  std::vector<Child> before = List(object_);
  const Child* close = Named(before, "Close");
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(S_OK, object_->accDoDefaultAction(Id(close->id)));
  EXPECT_TRUE(WaitFor([&] { return !PopupVisible(); }, 5000));
  auto seen = [&](DWORD event, LONG child) {
    for (const WinEvent& e : g_events)
      if (e.event == event && e.window == popup_ && e.object == OBJID_CLIENT && e.child == child)
        return true;
    return false;
  };
  EXPECT_TRUE(WaitFor([&] {
    Pump();
    return seen(EVENT_OBJECT_HIDE, CHILDID_SELF);
  }, 2000)) << "no EVENT_OBJECT_HIDE for the client object";
  // The action has been handled (the popup hid): it started no process.
  EXPECT_TRUE(testsupport::ChildProcesses(processes_.back()->Id()).empty());
  EXPECT_TRUE(MainStarts().empty());
  EXPECT_EQ(processes_.back()->ExitCode(), STILL_ACTIVE);

  reg::SetDword(kSettings, "ItemsToFix", 100);
  reg::SetDword(kSettings, "ItemsToClean", 2000);
  reg::SetDword(kSettings, "ItemsToJunk", static_cast<DWORD>(-4));
  reg::SetDword(kSettings, "ScanAtStartup", 0);
  reg::SetDword(kSettings, "s_SmartScan", 1);
  Pump();
  g_events.clear();
  ShowFromTray();
  EXPECT_TRUE(WaitFor([&] {
    Pump();
    return seen(EVENT_OBJECT_SHOW, CHILDID_SELF);
  }, 2000)) << "no EVENT_OBJECT_SHOW for the client object";
  const std::vector<Child> after = List(object_);

  std::vector<std::string> names;
  for (const Child& c : after) names.push_back(c.name);
  ASSERT_EQ(names.size(), before.size());
  EXPECT_EQ(names[6], "2100");
  EXPECT_EQ(names[13], "2000");
  EXPECT_EQ(names[16], "-4");
  EXPECT_EQ(names[20], "Scan at idle mode");
  EXPECT_EQ(after[7].screen.left, after[6].screen.right + 6);
  EXPECT_EQ(after[14].screen.left, after[13].screen.right + 6);
  EXPECT_EQ(after[17].screen.left, after[16].screen.right + 6);

  std::set<std::string> announced;
  bool shown = false, renamedAfterShown = false;
  for (const WinEvent& e : g_events) {
    std::printf("event 0x%04lx window %p object %ld child %ld\n",
                static_cast<unsigned long>(e.event), static_cast<void*>(e.window), e.object,
                e.child);
    if (e.window != popup_ || e.object != OBJID_CLIENT) continue;
    if (e.event == EVENT_OBJECT_SHOW) shown = true;
    if (e.event == EVENT_OBJECT_NAMECHANGE && e.child >= 1 &&
        static_cast<size_t>(e.child) <= after.size()) {
      announced.insert(after[e.child - 1].name);
      renamedAfterShown = renamedAfterShown || shown;
    }
  }
  EXPECT_EQ(announced, (std::set<std::string>{"2100", "2000", "-4", "Scan at idle mode"}));
  EXPECT_FALSE(renamedAfterShown) << "the names changed after the popup was announced";
}

// "Jump" on ">>> Clean up" does what a click does; on a hidden popup a link does nothing;
// a reference held past the program's end only answers that its object is gone.
TEST_F(Accessible, JumpStartsTheMainApplicationAndHidesAndAHeldReferenceOutlivesTheProgram) {
  folder_.AddStub("Vantorix.exe");
  Start();
  if (HasFatalFailure()) return;
  const std::vector<Child> children = List(object_);
  const Child* clean = Named(children, ">>> Clean up");
  const Child* start = Named(children, ">>> Start");
  const Child* heading = Named(children, "Clean up");
  ASSERT_TRUE(clean && start && heading);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, object_->accDoDefaultAction(Id(heading->id)));
  EXPECT_EQ(E_INVALIDARG, object_->accDoDefaultAction(Id(1000)));

  EXPECT_EQ(S_OK, object_->accDoDefaultAction(Id(clean->id)));
  EXPECT_TRUE(WaitFor([&] { return MainStarts() == std::vector<std::string>{"/CLEAN"}; }, 5000));
  // Its window too, or the close message at the end would miss it.
  EXPECT_TRUE(WaitFor([] { return !testsupport::WindowsTitled("Vantorix").empty(); }, 5000));
  EXPECT_TRUE(WaitFor([&] { return !PopupVisible(); }, 5000));

  EXPECT_TRUE(FAILED(object_->accDoDefaultAction(Id(start->id))));
  // The refused action started nothing: only the main application of the click before runs.
  EXPECT_EQ(1u, testsupport::ChildProcesses(processes_.back()->Id()).size());
  EXPECT_EQ(MainStarts(), std::vector<std::string>{"/CLEAN"});

  PostMessageA(host_, RegisterWindowMessageA("VtxGuard"), kCloseCode, 0);
  ASSERT_TRUE(processes_.back()->Wait(10000));
  long count = 0;
  BSTR name = nullptr;
  const HRESULT gone = object_->get_accChildCount(&count);
  std::printf("after the end: get_accChildCount 0x%08lx\n", static_cast<unsigned long>(gone));
  EXPECT_TRUE(FAILED(gone));
  EXPECT_TRUE(FAILED(object_->get_accName(Id(clean->id), &name)));
  EXPECT_EQ(name, nullptr);
}
