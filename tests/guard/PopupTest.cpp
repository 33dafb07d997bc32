// The popup's show step over registry states, its texts and links, and the tray host's menu
// texts, in-process with the real registry.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <memory>
#include <string>

#include "guard/Unit0.h"
#include "guard/Unit1.h"
#include "guard/Unit2.h"
#include "platform/Application.h"
#include "platform/DateTime.h"
#include "platform/Registry.h"
#include "tests/support/Forms.h"
#include "tests/support/TestSupport.h"

namespace reg = testsupport::reg;
using testsupport::Right;

namespace {

const std::string kSettings = testsupport::kSettingsKey;
const std::string kRun = testsupport::kRunKey;
const char* const kMarker = "left by the previous showing";
const char* const kScheduled = "Next automatic scan is set to run on at ";

void ClearRegistry() { testsupport::ClearSettings(); }

using Forms = testsupport::FormsFixture;

// Counts, then the automatic-scan line, over the registry states that matter.
enum class Flag { Absent, False, True, Text };

struct ShowCase {
  const char* label;
  bool settingsKey;
  long long toFix, toClean, toJunk;  // -1000000000000: not stored
  bool logonEntry;
  Flag enable, atStartup, inIdle;
  const char* total;
  const char* clean;
  const char* junk;
  const char* line;  // kMarker: unchanged; kScheduled: followed by "2:30:00 PM", "s_Time"
};
const long long kNone = -1000000000000LL;

const ShowCase kShowCases[] = {
    {"sample", true, 5, 7, 3, true, Flag::True, Flag::Absent, Flag::Absent, "12", "7", "3", kScheduled},
    {"no_key", false, kNone, kNone, kNone, false, Flag::Absent, Flag::Absent, Flag::Absent, "0", "0", "0",
     "Automatic scan not yet setup"},
    {"no_key_logon_entry", false, kNone, kNone, kNone, true, Flag::Absent, Flag::Absent, Flag::Absent,
     "0", "0", "0", kMarker},
    {"negative", true, 2, -3, -7, false, Flag::Absent, Flag::Absent, Flag::Absent, "-1", "-3", "-7",
     "Automatic scan not yet setup"},
    {"wraps_around", true, 2147483647, 1, 1234567890, false, Flag::Absent, Flag::Absent, Flag::Absent,
     "-2147483648", "1", "1234567890", "Automatic scan not yet setup"},
    {"wraps_below", true, -2147483647 - 1, -1, 0, false, Flag::Absent, Flag::Absent, Flag::Absent,
     "2147483647", "-1", "0", "Automatic scan not yet setup"},
    {"logon_absent_flags_on", true, 1, 1, 1, false, Flag::True, Flag::True, Flag::True, "2", "1", "1",
     "Automatic scan not yet setup"},
    {"logon_absent_flag_wrong_type", true, 0, 0, 0, false, Flag::Text, Flag::Text, Flag::Text, "0", "0",
     "0", "Automatic scan not yet setup"},
    {"enabled_others_not_read", true, 0, 0, 0, true, Flag::True, Flag::Text, Flag::Text, "0", "0", "0",
     kScheduled},
    {"at_startup", true, 0, 0, 0, true, Flag::False, Flag::True, Flag::False, "0", "0", "0",
     "Scan at startup"},
    {"in_idle", true, 0, 0, 0, true, Flag::Absent, Flag::Absent, Flag::True, "0", "0", "0",
     "Scan at idle mode"},
    {"both", true, 0, 0, 0, true, Flag::False, Flag::True, Flag::True, "0", "0", "0",
     "Scan at startup and idle mode"},
    {"none_unchanged", true, 0, 0, 0, true, Flag::False, Flag::False, Flag::False, "0", "0", "0", kMarker},
};

void StoreFlag(const char* name, Flag flag) {
  if (flag == Flag::True || flag == Flag::False) reg::SetDword(kSettings, name, flag == Flag::True);
  if (flag == Flag::Text) reg::SetString(kSettings, name, "1");
}

// One process for the whole table: each start of the forms costs seconds under Wine.
TEST_F(Forms, ShowStepFillsCountsWithGapsAndTheScanLine) {
  for (const ShowCase& c : kShowCases) {
    SCOPED_TRACE(c.label);
    ClearRegistry();
    const double next = 45000.0 + 14.5 / 24;  // 14:30
    if (c.settingsKey) {
      reg::SetDword(kSettings, "Language", 0);
      if (c.toFix != kNone) reg::SetDword(kSettings, "ItemsToFix", static_cast<DWORD>(c.toFix));
      if (c.toClean != kNone) reg::SetDword(kSettings, "ItemsToClean", static_cast<DWORD>(c.toClean));
      if (c.toJunk != kNone) reg::SetDword(kSettings, "ItemsToJunk", static_cast<DWORD>(c.toJunk));
      StoreFlag("s_Enable", c.enable);
      StoreFlag("ScanAtStartup", c.atStartup);
      StoreFlag("s_SmartScan", c.inIdle);
      reg::SetDateTime(kSettings, "s_Time", next);
    }
    if (c.logonEntry) reg::SetString(kRun, "Vantorix", "");  // present, whatever its data
    Form2->Label3c->SetCaption(kMarker);

    ASSERT_NO_THROW(Form2->ShowForm(*Form2));

    EXPECT_EQ(Form2->Label1c2->Caption(), c.total);
    EXPECT_EQ(Form2->Label2d2->Caption(), c.clean);
    EXPECT_EQ(Form2->Label2e2->Caption(), c.junk);
    // Six pixels around each count, whatever its width.
    EXPECT_EQ(Form2->Label1c2->Left(), Right(Form2->Label1c1) + 6);
    EXPECT_EQ(Form2->Label1c3->Left(), Right(Form2->Label1c2) + 6);
    EXPECT_EQ(Form2->Label2d2->Left(), Right(Form2->Label2d1) + 6);
    EXPECT_EQ(Form2->Label2d3->Left(), Right(Form2->Label2d2) + 6);
    EXPECT_EQ(Form2->Label2e2->Left(), Right(Form2->Label2e1) + 6);
    EXPECT_EQ(Form2->Label2e3->Left(), Right(Form2->Label2e2) + 6);
    // 14:30 in the bench's locale (en-US); the date part is not shown.
    const std::string expected = c.line == kScheduled ? std::string(kScheduled) + "2:30:00 PM" : c.line;
    EXPECT_EQ(Form2->Label3c->Caption(), expected);
  }
}

TEST_F(Forms, ManyDigitsWidenTheCountAndMoveTheTextAfterIt) {
  reg::SetDword(kSettings, "ItemsToJunk", 7);
  Form2->ShowForm(*Form2);
  const int narrow = Form2->Label2e2->Width();
  const int after = Form2->Label2e3->Left();
  reg::SetDword(kSettings, "ItemsToJunk", static_cast<DWORD>(-1234567890));
  Form2->ShowForm(*Form2);
  EXPECT_GT(Form2->Label2e2->Width(), narrow);
  EXPECT_EQ(Form2->Label2e3->Left() - after, Form2->Label2e2->Width() - narrow);
  EXPECT_EQ(Form2->Label2e2->Left(), Right(Form2->Label2e1) + 6);
}

TEST_F(Forms, MissingScanTimeShowsTheTimeOfTheShowing) {
  reg::SetString(kRun, "Vantorix", "x");
  reg::SetDword(kSettings, "s_Enable", 1);
  const double before = testsupport::OleLocalNow() - 0.5 / 86400000;
  Form2->ShowForm(*Form2);
  const double after = testsupport::OleLocalNow() + 0.5 / 86400000;
  const std::string line = Form2->Label3c->Caption();
  // The formatted time is whole seconds: one of the seconds the showing spanned, written
  // here as the bench's locale (en-US) writes it.
  bool matched = false;
  for (long long s = static_cast<long long>(std::floor(before * 86400));
       s <= static_cast<long long>(std::floor(after * 86400)); ++s) {
    const int second = static_cast<int>(s % 86400);
    matched = matched || line == kScheduled + testsupport::EnUsLongTime(second / 3600,
                                                                        second / 60 % 60, second % 60);
  }
  EXPECT_TRUE(matched) << line;
}

// A reader that fails ends the step there: the counts are new, the line is the old one.
TEST_F(Forms, FailingReadLeavesCountsRefreshedAndLineUnchanged) {
  const struct {
    const char* label;
    void (*store)();
    const char* error;
  } cases[] = {
      {"s_Enable as text", [] { reg::SetString(kSettings, "s_Enable", "1"); },
       "Invalid data type for 's_Enable'"},
      {"ScanAtStartup as a long text",
       [] {
         reg::SetDword(kSettings, "s_Enable", 0);
         reg::SetString(kSettings, "ScanAtStartup", "a much longer text");
       },
       "Failed to get data for 'ScanAtStartup'"},
      {"s_Time of 4 bytes",
       [] {
         reg::SetDword(kSettings, "s_Enable", 1);
         reg::SetBinary(kSettings, "s_Time", std::string(4, '\1'));
       },
       "Invalid data type for 's_Time'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ClearRegistry();
    reg::SetString(kRun, "Vantorix", "");
    reg::SetDword(kSettings, "ItemsToFix", 4);
    reg::SetDword(kSettings, "ItemsToClean", 5);
    reg::SetDword(kSettings, "ItemsToJunk", 6);
    c.store();
    Form2->Label3c->SetCaption(kMarker);
    try {
      Form2->ShowForm(*Form2);
      ADD_FAILURE() << "no error";
    } catch (const platform::RegistryError& e) {
      EXPECT_STREQ(e.what(), c.error);
    }
    EXPECT_EQ(Form2->Label1c2->Caption(), "9");
    EXPECT_EQ(Form2->Label2d2->Caption(), "5");
    EXPECT_EQ(Form2->Label2e2->Caption(), "6");
    EXPECT_EQ(Form2->Label3c->Caption(), kMarker);
  }
}

TEST_F(Forms, FirstShowingWithNoFlagKeepsTheLayoutCaption) {
  reg::SetString(kRun, "Vantorix", "");
  TForm2 fresh;
  fresh.ShowForm(fresh);
  EXPECT_EQ(fresh.Label3c->Caption(), "Next automatic scan is set to run on");
}

TEST_F(Forms, CreationPlacesTheShapedPopupAndTheLinksEndAtTheirRightEdges) {
  EXPECT_EQ(Form2->Left(), GetSystemMetrics(SM_CXSCREEN) - 360 - 5);
  EXPECT_EQ(Form2->Top(), GetSystemMetrics(SM_CYSCREEN) - 270 - 60);
  EXPECT_EQ(Form2->Width(), 360);
  EXPECT_EQ(Form2->Height(), 270);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(Form2->Handle(), region), ERROR);
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_TRUE(PtInRegion(region, 3, 0));
  EXPECT_FALSE(PtInRegion(region, 359, 269));
  DeleteObject(region);
  EXPECT_FALSE(Form2->Visible());
  EXPECT_EQ(Form2->Label1b->Caption(), ">>> Start");
  EXPECT_EQ(Right(Form2->Label1b), 338);
  EXPECT_EQ(Right(Form2->Label2b), 338);
  EXPECT_EQ(Right(Form2->Label3b), 339);
  EXPECT_EQ(Form2->TopButton->Hint(), "Close");
}

TEST_F(Forms, TranslatedTextsAndLongerLinksGrowToTheLeft) {
  folder_.WriteFile("French.ini",
                    "[VedadEzodi]\r\nStart=Commencer l'analyse\r\nCleanup=Nettoyer tout maintenant\r\n"
                    "Configure=Configurer la planification\r\nVedadEzodi=Moniteur\r\n"
                    "Message3=Pas encore configure\r\n[Buttons]\r\nClose=Fermer\r\n");
  LangIni = std::make_unique<platform::IniFile>(folder_ / "French.ini");
  TForm2 popup;
  const int defaultWidth = popup.Label2b->Width();
  popup.CreateForm(popup);
  EXPECT_EQ(popup.Label1b->Caption(), ">>> Commencer l'analyse");
  EXPECT_EQ(popup.Label2a->Caption(), "Nettoyer tout maintenant");
  EXPECT_EQ(popup.Label2b->Caption(), ">>> Nettoyer tout maintenant");
  EXPECT_EQ(popup.Label3b->Caption(), ">>> Configurer la planification");
  EXPECT_EQ(popup.ActionLabel2->Caption(), "Moniteur");
  EXPECT_EQ(popup.ActionLabel1->Caption(), "Vantorix");
  EXPECT_EQ(popup.TopButton->Hint(), "Fermer");
  EXPECT_GT(popup.Label2b->Width(), defaultWidth);
  EXPECT_EQ(Right(popup.Label1b), 338);
  EXPECT_EQ(Right(popup.Label2b), 338);
  EXPECT_EQ(Right(popup.Label3b), 339);
  // Texts the file lacks keep their defaults.
  EXPECT_EQ(popup.Label1a->Caption(), "System Status");
  popup.ShowForm(popup);
  EXPECT_EQ(popup.Label3c->Caption(), "Pas encore configure");
}

// The tray host reads its menu from the language file beside the executable: this test
// program, copied into a folder of its own with the file beside it, runs the inner case there,
// so nothing is written into the build's folder.
TEST_F(Forms, MenuCaptionsFromTheChosenLanguageFile) {
  folder_.Copy("guard_forms_tests.exe", "guard_forms_tests.exe");
  reg::SetDword(kSettings, "Language", 11);
  {
    SCOPED_TRACE("no such file yet: the defaults");
    EXPECT_EQ(0u, testsupport::Run(folder_ / "guard_forms_tests.exe",
                                   "--gtest_also_run_disabled_tests --gtest_filter=MenuInner.DISABLED_Captions --expect=defaults", 60000));
  }
  folder_.WriteFile("Russian.ini",
                    "[VedadEzodi]\r\nShow=\r\nLaunch=Zapusk\r\n[Buttons]\r\nExit=Vyhod\r\n");
  {
    SCOPED_TRACE("from the file");
    EXPECT_EQ(0u, testsupport::Run(folder_ / "guard_forms_tests.exe",
                                   "--gtest_also_run_disabled_tests --gtest_filter=MenuInner.DISABLED_Captions --expect=file", 60000));
  }
}

// The inner case: run only by the one above, in the copy.
TEST(MenuInner, DISABLED_Captions) {
  std::string expect;
  for (int i = 1; i < __argc; ++i)
    if (std::string(__argv[i]).rfind("--expect=", 0) == 0) expect = __argv[i] + 9;
  ASSERT_FALSE(expect.empty()) << "run by Forms.MenuCaptionsFromTheChosenLanguageFile";
  platform::App().Initialize();
  TForm1 host;
  host.DoCreate();
  host.Timer1->SetEnabled(false);
  EXPECT_EQ(LangFileName, "Russian.ini");
  if (expect == "defaults") {
    EXPECT_EQ(host.MenuItem1->Caption(), "Show Performance Monitor");
    EXPECT_EQ(host.MenuItem2->Caption(), "Launch Vantorix");
    EXPECT_EQ(host.MenuItem3->Caption(), "Exit");
  } else {
    EXPECT_EQ(host.MenuItem1->Caption(), "");  // present but empty: not the default
    EXPECT_EQ(host.MenuItem2->Caption(), "Zapusk");
    EXPECT_EQ(host.MenuItem3->Caption(), "Vyhod");
  }
  EXPECT_FALSE(platform::App().ShowMainForm());
  EXPECT_EQ(GuardMsgId, RegisterWindowMessageA("VtxGuard"));
}

// The start-up timer shows the popup once: when the show step fails, its error box comes
// first, and after OK the timer is off, so no second box follows.
TEST_F(Forms, StartUpTimerEndsAfterItsErrorBox) {
  reg::SetString(kRun, "Vantorix", "");
  reg::SetString(kSettings, "s_Enable", "1");
  Form2->Hide();
  Form1->Timer1->SetEnabled(true);
  std::atomic<int> boxes{0};
  std::atomic<bool> done{false};
  std::thread okClicker([&] {
    while (!done) {
      if (HWND box = testsupport::FindBox(GetCurrentProcessId(), "Performance Monitor", 100)) {
        ++boxes;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        testsupport::WaitFor([&] { return !IsWindow(box); }, 15000);
      }
    }
  });
  // The timer's message as the system delivers it (its id is the timer object).
  auto tick = [] { SendMessageA(Form1->Handle(), WM_TIMER, reinterpret_cast<WPARAM>(Form1->Timer1), 0); };
  tick();  // the box is modal in here
  EXPECT_EQ(1, boxes.load());
  EXPECT_TRUE(Form2->Visible());
  // A later tick does nothing: the timer is off.
  Form2->Hide();
  tick();
  done = true;
  okClicker.join();
  EXPECT_EQ(1, boxes.load());
  EXPECT_FALSE(Form2->Visible());
  Form2->Hide();
}

}  // namespace
