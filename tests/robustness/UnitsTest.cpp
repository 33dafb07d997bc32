// Every setting stored as every type, through the readers and through the monitor's own steps
// (the popup's show step, the tray host's choice of language file), and language files that
// are not what they should be, through the popup's creation step. In-process, real registry.
#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <memory>
#include <random>
#include <string>

#include "common/Settings.h"
#include "guard/Unit0.h"
#include "guard/Unit1.h"
#include "guard/Unit2.h"
#include "platform/Application.h"
#include "platform/DateTime.h"
#include "platform/Registry.h"
#include "platform/TrayIcon.h"
#include "tests/support/Forms.h"
#include "tests/support/StoredTypes.h"
#include "tests/support/TestSupport.h"

namespace reg = testsupport::reg;
using stored::StoredType;

namespace {

const char* const kMarker = "left by the previous showing";
const char* const kScheduled = "Next automatic scan is set to run on at ";
const char* const kNotSetUp = "Automatic scan not yet setup";

enum class Reader { Integer, Bool, DateTime };
const struct {
  const char* name;
  Reader reader;
} kValues[] = {
    {"Language", Reader::Integer},     {"ItemsToFix", Reader::Integer},
    {"ItemsToClean", Reader::Integer}, {"ItemsToJunk", Reader::Integer},
    {"s_Enable", Reader::Bool},        {"s_Time", Reader::DateTime},
    {"ScanAtStartup", Reader::Bool},   {"s_SmartScan", Reader::Bool},
    {"VedadEzodi", Reader::Bool},
};

// Two computations of the same millisecond may differ in their last bits.
const double kHalfMs = 0.5 / 86400000;

// The line's time for the stored doubles of the table, in the bench's locale (en-US).
std::string StoredTimeText(const StoredType& t) {
  if (std::string(t.label) == "binary_8") return "2:30:00 PM";      // stored::kScanTime
  if (std::string(t.label) == "binary_8_nan") return "12:00:00 AM";  // no number: day 0
  throw std::runtime_error(std::string("no time text for ") + t.label);
}

// The texts the line may show for the current time: each second the showing spanned.
bool ShowsATimeBetween(const std::string& line, const char* prefix, double before, double after) {
  for (long long s = static_cast<long long>(std::floor(before * 86400));
       s <= static_cast<long long>(std::floor(after * 86400)); ++s) {
    const int second = static_cast<int>(s % 86400);
    if (line == prefix + testsupport::EnUsLongTime(second / 3600, second / 60 % 60, second % 60))
      return true;
  }
  return false;
}

double StoredDouble(const StoredType& t) {
  double d = 0;
  std::memcpy(&d, t.data.data(), sizeof d);
  return d;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The readers alone: each value of the settings key, each way of storing it.
TEST(RobustReaders, EveryValueAsEveryType) {
  for (const auto& v : kValues) {
    for (const StoredType& t : stored::StoredTypes()) {
      SCOPED_TRACE(std::string(v.name) + " as " + t.label);
      stored::ClearRegistry();
      stored::Store(v.name, t);
      std::string error;
      try {
        switch (v.reader) {
          case Reader::Integer:
            EXPECT_EQ(t.integer, RegReadInteger(HKEY_CURRENT_USER, SettingsKey, v.name));
            break;
          case Reader::Bool: {
            const bool got = RegReadBool(HKEY_CURRENT_USER, SettingsKey, v.name);
            EXPECT_EQ(t.boolean, std::string(got ? "true" : "false"));
            break;
          }
          case Reader::DateTime: {
            const double before = testsupport::OleLocalNow();
            const double got = RegReadDateTime(HKEY_CURRENT_USER, SettingsKey, v.name);
            if (std::string(t.dateTime) == stored::kNow) {
              EXPECT_GE(got, before - kHalfMs);
              EXPECT_LE(got, testsupport::OleLocalNow() + kHalfMs);
            } else {
              EXPECT_EQ("value", std::string(t.dateTime));
              EXPECT_TRUE(SameBits(StoredDouble(t), got)) << got;
            }
            break;
          }
        }
      } catch (const platform::RegistryError& e) {
        error = e.what();
      }
      const char* outcome = v.reader == Reader::Integer ? ""
                            : v.reader == Reader::Bool  ? t.boolean
                                                        : t.dateTime;
      EXPECT_EQ(stored::IsError(outcome) ? stored::Named(outcome, v.name) : "", error);
      EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, SettingsKey, v.name));
    }
  }
  stored::ClearRegistry();
}

using RobustForms = testsupport::FormsFixture;

// The show step reads ItemsTo*, the flags and s_Time: each as every type, in the state in
// which the step reaches it. A reader's error ends the step with the line unchanged.
TEST_F(RobustForms, ShowStepOverEveryValueAsEveryType) {
  const struct {
    const char* name;
    bool logonEntry;
    int enable;  // -1: not stored
    const char* whenTrue;
  } reads[] = {
      {"ItemsToFix", false, -1, nullptr},   {"ItemsToClean", false, -1, nullptr},
      {"ItemsToJunk", false, -1, nullptr},  {"s_Enable", true, -1, kScheduled},
      {"s_Time", true, 1, kScheduled},      {"ScanAtStartup", true, 0, "Scan at startup"},
      {"s_SmartScan", true, 0, "Scan at idle mode"},
  };
  for (const auto& r : reads) {
    for (const StoredType& t : stored::StoredTypes()) {
      const std::string name = r.name;
      SCOPED_TRACE(name + " as " + t.label);
      stored::ClearRegistry();
      if (r.logonEntry) reg::SetString(stored::kRun, "Vantorix", "");
      if (r.enable >= 0) reg::SetDword(stored::kSettings, "s_Enable", r.enable);
      stored::Store(name, t);
      Form2->Label3c->SetCaption(kMarker);
      std::string error;
      const double before = testsupport::OleLocalNow();
      try {
        Form2->ShowForm(*Form2);
      } catch (const platform::RegistryError& e) {
        error = e.what();
      }
      const double after = testsupport::OleLocalNow();
      const int n = t.integer;
      EXPECT_EQ(Form2->Label1c2->Caption(),
                std::to_string(name == "ItemsToFix" || name == "ItemsToClean" ? n : 0));
      EXPECT_EQ(Form2->Label2d2->Caption(), std::to_string(name == "ItemsToClean" ? n : 0));
      EXPECT_EQ(Form2->Label2e2->Caption(), std::to_string(name == "ItemsToJunk" ? n : 0));
      EXPECT_EQ(Form2->Label1c3->Left(), Form2->Label1c2->Left() + Form2->Label1c2->Width() + 6);

      const std::string line = Form2->Label3c->Caption();
      if (!r.logonEntry) {
        EXPECT_EQ("", error);
        EXPECT_EQ(kNotSetUp, line);
        continue;
      }
      const char* outcome = name == "s_Time" ? t.dateTime : t.boolean;
      if (stored::IsError(outcome)) {
        EXPECT_EQ(stored::Named(outcome, name), error);
        EXPECT_EQ(kMarker, line);
      } else if (name == "s_Time" && std::string(outcome) == "value") {
        EXPECT_EQ(kScheduled + StoredTimeText(t), line);
      } else if (name == "s_Time" || std::string(outcome) == "true") {
        EXPECT_EQ("", error);
        if (name != "s_Time" && std::string(r.whenTrue) != kScheduled) {
          EXPECT_EQ(r.whenTrue, line);
          continue;
        }
        // The time of the showing, to the second.
        EXPECT_TRUE(ShowsATimeBetween(line, kScheduled, before - kHalfMs, after + kHalfMs)) << line;
      } else {
        EXPECT_EQ("", error);
        EXPECT_EQ(kMarker, line);
      }
    }
  }
}

// "Language" as every type, through the tray host's creation step: only a REG_DWORD of 2 to 15
// chooses another file than "English.ini" (7: Danish, 2: French).
TEST_F(RobustForms, LanguageAsEveryTypeChoosesItsFile) {
  for (const StoredType& t : stored::StoredTypes()) {
    SCOPED_TRACE(t.label);
    stored::ClearRegistry();
    stored::Store("Language", t);
    ASSERT_NO_THROW(Form1->CreateForm(*Form1));
    Form1->Timer1->SetEnabled(false);
    const std::string expected = t.integer == 7 ? "Danish.ini" : t.integer == 2 ? "French.ini" : "English.ini";
    EXPECT_EQ(expected, LangFileName);
    EXPECT_EQ(AppDir + "\\" + LangFileName, LangIni->FileName());
    EXPECT_EQ("Show Performance Monitor", Form1->MenuItem1->Caption());  // no such file here
  }
}

// The popup's texts from its creation step, with their defaults.
struct PopupText {
  platform::Label* TForm2::*label;  // nullptr: TopButton's hint
  const char* section;
  const char* key;
  const char* def;
  bool link;
};
const PopupText kPopupTexts[] = {
    {&TForm2::ActionLabel2, "VedadEzodi", "VedadEzodi", "Performance Monitor", false},
    {nullptr, "Buttons", "Close", "Close", false},
    {&TForm2::Label1a, "VedadEzodi", "SystemStatus", "System Status", false},
    {&TForm2::Label1b, "VedadEzodi", "Start", "Start", true},
    {&TForm2::Label1c1, "VedadEzodi", "Message1a", "Vantorix has found", false},
    {&TForm2::Label1c3, "VedadEzodi", "Message1b", "items", false},
    {&TForm2::Label1c4, "VedadEzodi", "Message1c", "to clean and optimize.", false},
    {&TForm2::Label2a, "VedadEzodi", "Cleanup", "Clean up", false},
    {&TForm2::Label2b, "VedadEzodi", "Cleanup", "Clean up", true},
    {&TForm2::Label2c, "VedadEzodi", "Message2", "Keep your computer clean and secure", false},
    {&TForm2::Label2d1, "VedadEzodi", "Message2a", "There are", false},
    {&TForm2::Label2d3, "VedadEzodi", "Message2b", "privacy risks available for cleanup", false},
    {&TForm2::Label2e1, "VedadEzodi", "Message2a", "There are", false},
    {&TForm2::Label2e3, "VedadEzodi", "Message2c", "junk files available for cleanup", false},
    {&TForm2::Label3a, "VedadEzodi", "AutomaticScan", "Automatic scan", false},
    {&TForm2::Label3b, "VedadEzodi", "Configure", "Configure", true},
};

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(random() & 0xFF);
  return s;
}

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

// A language file that is not what it should be: the popup is created all the same and shows
// the texts the file gives, written here, and the defaults for the rest. Where random bytes
// make the outcome unknowable, only its limits are checked.
TEST_F(RobustForms, BrokenLanguageFilesGiveDefaultsOrTheirTexts) {
  const std::string longText(1024 * 1024, 'x');
  using Texts = std::map<std::string, std::string>;  // key: text the file gives
  const struct {
    const char* label;
    std::string content;  // written as the file; "folder" makes a folder of that name
    bool known;           // every text is the one given here or its default
    Texts given;
  } cases[] = {
      {"random_bytes", RandomBytes(64 * 1024, 5), true, {}},
      {"random_bytes_in_section",
       "[VedadEzodi]\r\n" + RandomBytes(16 * 1024, 6) + "\r\nStart=After\r\n", false, {}},
      {"line_of_1_MiB", "[VedadEzodi]\r\nStart=" + longText + "\r\nSystemStatus=Fine\r\n", true,
       {{"Start", std::string(2047, 'x')}, {"SystemStatus", "Fine"}}},
      {"key_line_of_1_MiB", "[VedadEzodi]\r\n" + longText + "=1\r\nStart=Go\r\n", true,
       {{"Start", "Go"}}},
      {"no_sections", "Start=Go\r\nSystemStatus=Fine\r\nClose=Shut\r\n", true, {}},
      {"no_newline_at_end", "[VedadEzodi]\r\nSystemStatus=Fine\r\nStart=Go", true,
       {{"SystemStatus", "Fine"}, {"Start", "Go"}}},
      {"utf16", Utf16("[VedadEzodi]\r\nStart=Los\r\n[Buttons]\r\nClose=Zu\r\n"), true,
       {{"Start", "Los"}, {"Close", "Zu"}}},
      {"empty", "", true, {}},
      {"folder", "folder", true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    testsupport::InstallFolder folder;
    const std::string file = folder / "English.ini";
    if (c.content == "folder")
      folder.MakeFolder("English.ini");
    else
      folder.WriteFile("English.ini", c.content);
    LangIni = std::make_unique<platform::IniFile>(file);
    TForm2 popup;
    ASSERT_NO_THROW(popup.CreateForm(popup));
    for (const PopupText& text : kPopupTexts) {
      SCOPED_TRACE(text.key);
      const std::string got = text.label ? (popup.*text.label)->Caption() : popup.TopButton->Hint();
      const std::string prefix = text.link ? ">>> " : "";
      EXPECT_LE(got.size(), prefix.size() + 2047);
      if (!c.known) continue;
      const auto given = c.given.find(text.key);
      EXPECT_EQ(prefix + (given != c.given.end() ? given->second : std::string(text.def)), got);
    }
    // The links keep their right edges whatever the text.
    EXPECT_EQ(338, popup.Label1b->Left() + popup.Label1b->Width());
    popup.ShowForm(popup);
    EXPECT_EQ(kNotSetUp, popup.Label3c->Caption());
  }
}

// A "TaskbarCreated" that comes while the shell still holds the icon (a repeated broadcast,
// or any program posting it): the add is refused, yet the icon is there. The tray icon must
// still know it has one, or it would leave it behind in the notification area at the end.
TEST_F(RobustForms, TaskbarCreatedWhileTheIconIsHeldKeepsItKnown) {
  ASSERT_TRUE(Form1->TrayIcon->Added());
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = Form1->Handle();
  data.uID = platform::TrayIcon::IconId;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data)) << "the shell holds the icon";
  SendMessageA(Form1->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
  EXPECT_TRUE(Form1->TrayIcon->Added());
}

}  // namespace
