// The language table and text lookup against real profile files.
#include <gtest/gtest.h>

#include "common/Language.h"
#include "common/Settings.h"
#include "common/Texts.h"
#include "platform/IniFile.h"
#include "tests/support/TestSupport.h"

namespace reg = testsupport::reg;
using testsupport::InstallFolder;

TEST(LanguageTable, Edges) {
  struct { int code; const char* file; } cases[] = {
      {0, "English.ini"},  {1, "English.ini"},    {2, "French.ini"},   {11, "Russian.ini"},
      {12, "Brazilian.ini"}, {15, "Turkish.ini"}, {16, "English.ini"}, {-1, "English.ini"},
      {INT_MIN, "English.ini"}, {INT_MAX, "English.ini"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.file, LanguageFileName(c.code)) << c.code;
}

TEST(LanguageTable, CodeStoredAsStringReadsAsEnglish) {
  const std::string key = "SOFTWARE\\VtxLanguageTest";
  reg::SetString(key, "Language", "11");
  EXPECT_EQ("English.ini", LanguageFileName(RegReadInteger(HKEY_CURRENT_USER, "\\" + key, "Language")));
  reg::SetDword(key, "Language", 11);
  EXPECT_EQ("Russian.ini", LanguageFileName(RegReadInteger(HKEY_CURRENT_USER, "\\" + key, "Language")));
  reg::DeleteTree(key);
}

TEST(TextTable, RowsFollowTheIds) {
  for (int i = 0; i <= static_cast<int>(TextId::Message3d); ++i)
    EXPECT_EQ(i, static_cast<int>(TextEntryOf(static_cast<TextId>(i)).id));
  EXPECT_STREQ("Schedule", TextEntryOf(TextId::At).section);
  EXPECT_STREQ("Buttons", TextEntryOf(TextId::Close).section);
}

TEST(TextLookup, DefaultsWhenFileSectionOrKeyIsMissing) {
  InstallFolder folder;
  folder.WriteFile("English.ini", "[Buttons]\r\nExit=Quit\r\n[VedadEzodi]\r\nStart=Go\r\n");
  platform::IniFile missingFile(folder / "Russian.ini");
  platform::IniFile file(folder / "English.ini");
  EXPECT_EQ("Show Performance Monitor", LookupText(missingFile, TextId::Show));
  EXPECT_EQ("Automatic scan not yet setup", LookupText(missingFile, TextId::NotSetUp));
  EXPECT_EQ("at", LookupText(file, TextId::At));                 // section missing
  EXPECT_EQ("Launch Vantorix", LookupText(file, TextId::Launch));  // key missing
  EXPECT_EQ("Quit", LookupText(file, TextId::Exit));
  EXPECT_EQ("Go", LookupText(file, TextId::Start));
}

TEST(TextLookup, EmptyTextIsNotTheDefault) {
  InstallFolder folder;
  folder.WriteFile("English.ini", "[VedadEzodi]\r\nShow=\r\n");
  EXPECT_EQ("", LookupText(platform::IniFile(folder / "English.ini"), TextId::Show));
}

TEST(TextLookup, NamesMatchWithoutRegardToCase) {
  InstallFolder folder;
  folder.WriteFile("German.ini", "[vedadezodi]\r\nsHoW=Anzeigen\r\n[SCHEDULE]\r\nAT=um\r\n");
  platform::IniFile file(folder / "German.ini");
  EXPECT_EQ("Anzeigen", LookupText(file, TextId::Show));
  EXPECT_EQ("um", LookupText(file, TextId::At));
}

TEST(TextLookup, LongTextIsCutTo2047Characters) {
  InstallFolder folder;
  folder.WriteFile("English.ini", "[VedadEzodi]\r\nMessage2=" + std::string(5000, 'x') + "\r\n");
  EXPECT_EQ(std::string(2047, 'x'),
            LookupText(platform::IniFile(folder / "English.ini"), TextId::Message2));
}

TEST(TextLookup, FileChangesShowAtTheNextRead) {
  InstallFolder folder;
  platform::IniFile file(folder / "English.ini");
  folder.WriteFile("English.ini", "[VedadEzodi]\r\nMessage3b=one\r\n");
  EXPECT_EQ("one", LookupText(file, TextId::Message3b));
  folder.WriteFile("English.ini", "[VedadEzodi]\r\nMessage3b=two\r\n");
  EXPECT_EQ("two", LookupText(file, TextId::Message3b));
}
