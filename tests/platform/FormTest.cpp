// Forms built from the test layouts: what a broken layout leaves behind, shared fonts, presses
// on windowless controls, and handlers that throw.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "GuiCounts.h"
#include "platform/Application.h"
#include "platform/Bitmap.h"
#include "platform/Form.h"
#include "platform/Timer.h"
#include "tests/support/TestSupport.h"

namespace {

const char* const kTitle = "Platform Test";

class ClicksForm : public platform::Form {
 public:
  ClicksForm()
      : Form("CLICKS"),
        A(Find<platform::Label>("A")),
        B(Find<platform::Label>("B")),
        C(Find<platform::Label>("C")),
        D(Find<platform::Label>("D")),
        Tick(Find<platform::Timer>("Tick")) {
    A->OnClick = [this](platform::Object&) { ++clicksA; };
    B->OnClick = [this](platform::Object&) { ++clicksB; };
  }
  platform::Label* A;
  platform::Label* B;
  platform::Label* C;
  platform::Label* D;
  platform::Timer* Tick;
  int clicksA = 0;
  int clicksB = 0;
};

// A form whose own part of the construction fails after the framework's part has succeeded.
class MissingControlForm : public platform::Form {
 public:
  MissingControlForm() : Form("CLICKS"), Missing(Find<platform::Label>("Missing")) {}
  platform::Label* Missing;
};

class Forms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::App().Initialize();
    platform::App().SetTitle(kTitle);
  }
  void SetUp() override {
    // Fonts, DCs and caches the system makes on first use are made here, before the counts.
    { ClicksForm warm; warm.Show(); UpdateWindow(warm.Handle()); Pump(); }
    before_ = GuiCounts();
  }
  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

  GuiCounts before_;
};

TEST_F(Forms, BuiltShownPaintedAndDestroyedLeavesNothing) {
  {
    ClicksForm form;
    form.Show();
    UpdateWindow(form.Handle());
    EXPECT_NE(FindWindowA("TClicksTest", "Clicks"), nullptr);
  }
  Pump();
  EXPECT_EQ(FindWindowA("TClicksTest", nullptr), nullptr);
  EXPECT_EQ(GuiCounts(), before_);
}

TEST_F(Forms, ConstructionThatThrowsHalfWayLeavesNoWindowAndNoGdiObject) {
  // The first attempt also meets this layout's second font face, which the system keeps.
  EXPECT_THROW(platform::Form("BROKEN"), std::runtime_error);
  EXPECT_EQ(FindWindowA("TBrokenTest", nullptr), nullptr);
  const GuiCounts before;
  for (int i = 0; i < 3; ++i) EXPECT_THROW(platform::Form("BROKEN"), std::runtime_error);
  EXPECT_EQ(FindWindowA("TBrokenTest", nullptr), nullptr);
  EXPECT_EQ(GuiCounts(), before);
  // Thrown by the derived form, once the framework's form exists with all its parts.
  EXPECT_THROW(MissingControlForm(), std::logic_error);
  EXPECT_EQ(FindWindowA("TClicksTest", nullptr), nullptr);
  EXPECT_EQ(GuiCounts(), before);
}

TEST_F(Forms, LabelsOfOneFaceSizeAndWeightShareAFont) {
  DWORD picture = 0;
  {
    const DWORD start = GuiCounts().gdi;
    platform::Bitmap close = platform::Bitmap::FromResource(GetModuleHandleA(nullptr), "CLOSE");
    picture = GuiCounts().gdi - start;
  }
  const DWORD start = GuiCounts().gdi;
  ClicksForm form;
  EXPECT_EQ(form.A->FontHandle(), form.B->FontHandle());
  EXPECT_NE(form.A->FontHandle(), form.C->FontHandle());
  EXPECT_EQ(form.D->FontHandle(), form.DefaultFont().Get());
  EXPECT_NE(form.C->FontHandle(), form.D->FontHandle());
  // Three fonts for the form and its four labels, and the picture.
  EXPECT_EQ(GuiCounts().gdi - start, 3 + picture);
}

// A click counts when the button goes down and up over the same control, with the capture
// held in between.
struct PressCase {
  const char* label;
  POINT down;
  POINT up;
  bool loseCapture;
  int clicksA, clicksB;
};
const PressCase kPresses[] = {
    {"down and up on A", {20, 15}, {30, 20}, false, 1, 0},
    {"down on A, up on B", {20, 15}, {110, 15}, false, 0, 0},
    {"down on B, up on A", {110, 15}, {20, 15}, false, 0, 0},
    {"down on A, up outside the window", {20, 15}, {-30, 300}, false, 0, 0},
    {"down on A, up on the form beside it", {20, 15}, {80, 15}, false, 0, 0},
    {"down beside, up on A", {80, 15}, {20, 15}, false, 0, 0},
    {"down on A, capture lost, up on A", {20, 15}, {20, 15}, true, 0, 0},
};

TEST_F(Forms, PressOnOneControlAndReleaseElsewhereDoesNothing) {
  ClicksForm form;
  form.Show();
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
  for (const PressCase& c : kPresses) {
    SCOPED_TRACE(c.label);
    form.clicksA = form.clicksB = 0;
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(c.down.x, c.down.y));
    EXPECT_EQ(GetCapture(), form.Handle());
    if (c.loseCapture) SetCapture(other);
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, At(c.up.x, c.up.y));
    EXPECT_EQ(form.clicksA, c.clicksA);
    EXPECT_EQ(form.clicksB, c.clicksB);
    ReleaseCapture();
  }
  // A press whose capture the system cancels (a menu, a dialog) does not click either.
  form.clicksA = 0;
  SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 15));
  SendMessageA(form.Handle(), WM_CANCELMODE, 0, 0);
  SendMessageA(form.Handle(), WM_LBUTTONUP, 0, At(20, 15));
  EXPECT_EQ(form.clicksA, 0);
  DestroyWindow(other);
}

// Closes this process's error box (titled with the application title), once, and keeps its
// text.
class ErrorBoxCloser {
 public:
  ErrorBoxCloser()
      : thread_([this] {
          HWND box = nullptr;
          testsupport::WaitFor(
              [&] {
                box = testsupport::WindowOf(GetCurrentProcessId(), "#32770", kTitle);
                return box != nullptr || stop_;
              },
              10000);
          if (box == nullptr) return;
          text_ = testsupport::MessageBoxText(box);
          PostMessageA(box, WM_COMMAND, IDOK, 0);
        }) {}
  ~ErrorBoxCloser() { Text(); }
  // Once the box has been answered (or none came).
  std::string Text() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return text_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::string text_;
  std::thread thread_;
};

TEST_F(Forms, ClickHandlerThatThrowsShowsTheErrorBoxAndTheFormGoesOn) {
  ClicksForm form;
  form.Show();
  bool fail = true;
  form.A->OnClick = [&](platform::Object&) {
    if (fail) throw std::runtime_error("the click failed");
    ++form.clicksA;
  };
  std::string text;
  {
    ErrorBoxCloser closer;
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 15));
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, At(20, 15));  // returns once the box is answered
    text = closer.Text();
  }
  EXPECT_EQ(text, "the click failed");
  fail = false;
  SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 15));
  SendMessageA(form.Handle(), WM_LBUTTONUP, 0, At(20, 15));
  EXPECT_EQ(form.clicksA, 1);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Forms, TimerHandlerThatThrowsShowsTheErrorBoxAndTheTimerGoesOn) {
  ClicksForm form;
  int ticks = 0;
  bool thrown = false;
  form.Tick->OnTimer = [&](platform::Object&) {
    if (!thrown) {
      thrown = true;
      throw std::runtime_error("the tick failed");
    }
    ++ticks;
  };
  std::string text;
  {
    ErrorBoxCloser closer;
    form.Tick->SetEnabled(true);
    // The box's own loop runs while it is up; this one runs after.
    testsupport::WaitFor([&] { Pump(); return ticks >= 3; }, 10000, 5);
    text = closer.Text();
  }
  form.Tick->SetEnabled(false);
  EXPECT_EQ(text, "the tick failed");
  EXPECT_GE(ticks, 3);
}

}  // namespace
