#include "guard/Unit2.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

#include "common/Settings.h"
#include "common/Siblings.h"
#include "common/Texts.h"
#include "guard/Unit0.h"
#include "platform/Application.h"
#include "platform/DateTime.h"

TForm2* Form2 = nullptr;

namespace {

constexpr int kGap = 6;        // between a count and the pieces of text around it
constexpr int kFrameWidth = 3;  // the skin's outline lies within this band
const char* const kLinkPrefix = ">>> ";

std::string Text(TextId id) { return LookupText(*LangIni, id); }

// Two counts added as signed 32-bit integers, wrapping around like the registry's DWORDs.
int AddCounts(int a, int b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace

TForm2::TForm2()
    : Form("TFORM2"),
      WndImage(Find<platform::Image>("WndImage")),
      TopButton(Find<platform::Image>("TopButton")),
      ActionLabel1(Find<platform::Label>("ActionLabel1")),
      ActionLabel2(Find<platform::Label>("ActionLabel2")),
      Label1a(Find<platform::Label>("Label1a")),
      Label1b(Find<platform::Label>("Label1b")),
      Label1c1(Find<platform::Label>("Label1c1")),
      Label1c2(Find<platform::Label>("Label1c2")),
      Label1c3(Find<platform::Label>("Label1c3")),
      Label1c4(Find<platform::Label>("Label1c4")),
      Label2a(Find<platform::Label>("Label2a")),
      Label2b(Find<platform::Label>("Label2b")),
      Label2c(Find<platform::Label>("Label2c")),
      Label2d1(Find<platform::Label>("Label2d1")),
      Label2d2(Find<platform::Label>("Label2d2")),
      Label2d3(Find<platform::Label>("Label2d3")),
      Label2e1(Find<platform::Label>("Label2e1")),
      Label2e2(Find<platform::Label>("Label2e2")),
      Label2e3(Find<platform::Label>("Label2e3")),
      Label3a(Find<platform::Label>("Label3a")),
      Label3b(Find<platform::Label>("Label3b")),
      Label3c(Find<platform::Label>("Label3c")) {
  using namespace std::placeholders;
  OnCreate = std::bind(&TForm2::CreateForm, this, _1);
  OnShow = std::bind(&TForm2::ShowForm, this, _1);
  OnHitTest = std::bind(&TForm2::WMNCHitTest, this, _1);
  Label1b->OnClick = std::bind(&TForm2::Label1bClick, this, _1);
  Label2b->OnClick = std::bind(&TForm2::Label2bClick, this, _1);
  Label3b->OnClick = std::bind(&TForm2::Label3bClick, this, _1);
  TopButton->OnClick = std::bind(&TForm2::TopButtonClick, this, _1);
}

void TForm2::CreateForm(platform::Object&) {
  SetRegion(CreateSkinRegion(WndImage->Picture()), true);

  SetTop(GetSystemMetrics(SM_CYSCREEN) - Height() - 60);
  SetLeft(GetSystemMetrics(SM_CXSCREEN) - Width() - 5);

  ActionLabel2->SetCaption(Text(TextId::Title));
  TopButton->SetHint(Text(TextId::Close));
  Label1a->SetCaption(Text(TextId::SystemStatus));
  Label1b->SetCaption(kLinkPrefix + Text(TextId::Start));
  Label1c1->SetCaption(Text(TextId::Message1a));
  Label1c3->SetCaption(Text(TextId::Message1b));
  Label1c4->SetCaption(Text(TextId::Message1c));
  Label2a->SetCaption(Text(TextId::Cleanup));
  Label2b->SetCaption(kLinkPrefix + Text(TextId::Cleanup));
  Label2c->SetCaption(Text(TextId::Message2));
  Label2d1->SetCaption(Text(TextId::Message2a));
  Label2d3->SetCaption(Text(TextId::Message2b));
  Label2e1->SetCaption(Text(TextId::Message2a));
  Label2e3->SetCaption(Text(TextId::Message2c));
  Label3a->SetCaption(Text(TextId::AutomaticScan));
  Label3b->SetCaption(kLinkPrefix + Text(TextId::Configure));
}

void TForm2::ShowForm(platform::Object&) {
  const int toFix = RegReadInteger(HKEY_CURRENT_USER, SettingsKey, "ItemsToFix");
  const int toClean = RegReadInteger(HKEY_CURRENT_USER, SettingsKey, "ItemsToClean");
  Label1c2->SetCaption(std::to_string(AddCounts(toFix, toClean)));
  Label1c2->SetLeft(Label1c1->Left() + Label1c1->Width() + kGap);
  Label1c3->SetLeft(Label1c2->Left() + Label1c2->Width() + kGap);

  Label2d2->SetCaption(std::to_string(RegReadInteger(HKEY_CURRENT_USER, SettingsKey, "ItemsToClean")));
  Label2d2->SetLeft(Label2d1->Left() + Label2d1->Width() + kGap);
  Label2d3->SetLeft(Label2d2->Left() + Label2d2->Width() + kGap);

  Label2e2->SetCaption(std::to_string(RegReadInteger(HKEY_CURRENT_USER, SettingsKey, "ItemsToJunk")));
  Label2e2->SetLeft(Label2e1->Left() + Label2e1->Width() + kGap);
  Label2e3->SetLeft(Label2e2->Left() + Label2e2->Width() + kGap);

  // The logon entry's key is given with a trailing backslash; only its presence counts.
  if (!RegValueExists(HKEY_CURRENT_USER, std::string(RunKey) + "\\", RunValue)) {
    Label3c->SetCaption(Text(TextId::NotSetUp));
  } else if (RegReadBool(HKEY_CURRENT_USER, SettingsKey, "s_Enable")) {
    const double next = RegReadDateTime(HKEY_CURRENT_USER, SettingsKey, "s_Time");
    Label3c->SetCaption(Text(TextId::Message3a) + " " + Text(TextId::At) + " " +
                        platform::FormatLongTime(next));
  } else {
    const bool atStartup = RegReadBool(HKEY_CURRENT_USER, SettingsKey, "ScanAtStartup");
    const bool inIdle = RegReadBool(HKEY_CURRENT_USER, SettingsKey, "s_SmartScan");
    if (atStartup && inIdle)
      Label3c->SetCaption(Text(TextId::Message3d));
    else if (atStartup)
      Label3c->SetCaption(Text(TextId::Message3b));
    else if (inIdle)
      Label3c->SetCaption(Text(TextId::Message3c));
    // Neither: the line keeps what the previous showing left.
  }
}

void TForm2::WMNCHitTest(platform::Form::HitTest& message) {
  // The header and the strip above the first heading, left of the close button, drag the window.
  if (message.y < Top() + Label1a->Top() && message.x < Left() + TopButton->Left())
    message.result = HTCAPTION;
}

void TForm2::Label1bClick(platform::Object&) {
  StartMember(AppDir, MainAppRow, SwitchStart);
  Close();
}

void TForm2::Label2bClick(platform::Object&) {
  StartMember(AppDir, MainAppRow, SwitchClean);
  Close();
}

void TForm2::Label3bClick(platform::Object&) {
  StartMember(AppDir, MainAppRow, SwitchSchedule);
  Close();
}

void TForm2::TopButtonClick(platform::Object&) { Close(); }

platform::Region ScanStripRegion(const platform::Bitmap& bitmap, int left, int top, int right,
                                 int bottom, platform::PixelReader read) {
  platform::Region result(CreateRectRgn(0, 0, bitmap.Width(), bitmap.Height()));
  const COLORREF key = (bitmap.*read)(0, 0);
  platform::App().ProcessMessages();
  for (int y = top; y < bottom; ++y) {
    int start = left;
    COLORREF color = start < right ? (bitmap.*read)(start, y) : CLR_INVALID;
    while (start < right) {
      // A run of equal colour, never past the strip's right edge; every pixel is read once.
      int end = start + 1;
      COLORREF next = CLR_INVALID;
      while (end < right && (next = (bitmap.*read)(end, y)) == color) ++end;
      if (color == key) {
        platform::Region cut(CreateRectRgn(start, y, end, y + 1));
        CombineRgn(result.Get(), result.Get(), cut.Get(), RGN_DIFF);
      }
      start = end;
      color = next;  // the pixel that ended the run starts the next one
    }
  }
  return result;
}

platform::Region CreateSkinRegion(const platform::Bitmap& bitmap, platform::PixelReader read) {
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  const int f = kFrameWidth;
  platform::Region top = ScanStripRegion(bitmap, 0, 0, w, f, read);
  platform::Region left = ScanStripRegion(bitmap, 0, f, f, h - f, read);
  platform::Region right = ScanStripRegion(bitmap, w - f, f, w, h - f, read);
  platform::Region bottom = ScanStripRegion(bitmap, 0, h - f, w, h, read);
  // Below 6 pixels the inside is empty (a reversed rectangle would be taken the right way round).
  platform::Region inner(CreateRectRgn(f, f, std::max(f, w - f), std::max(f, h - f)));
  platform::Region result(CreateRectRgn(0, 0, w, h));
  platform::App().ProcessMessages();
  // Each part is deleted as soon as it has been combined.
  CombineRgn(result.Get(), top.Get(), left.Get(), RGN_AND);
  top.Reset();
  left.Reset();
  CombineRgn(result.Get(), result.Get(), right.Get(), RGN_AND);
  right.Reset();
  CombineRgn(result.Get(), result.Get(), bottom.Get(), RGN_AND);
  bottom.Reset();
  CombineRgn(result.Get(), result.Get(), inner.Get(), RGN_OR);
  inner.Reset();
  return result;
}
