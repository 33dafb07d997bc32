// The layout text format and the two layouts compiled into the program.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/Layout.h"

namespace {

TEST(Layout, ParsesKindsNamesAndQuotedValues) {
  auto items = platform::ParseLayout(
      "# a comment\n"
      "form TForm9 caption=\"Two words\" client=360,270\r\n"
      "\n"
      "  label L1 caption=\">>> \\\"x\\\" \\\\ y\" color=#000080 bold=true height=-12\n");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].kind, "form");
  EXPECT_EQ(items[0].name, "TForm9");
  EXPECT_EQ(items[0].Text("caption"), "Two words");
  EXPECT_EQ(items[0].Numbers("client"), (std::vector<int>{360, 270}));
  EXPECT_EQ(items[1].line, 4);
  EXPECT_EQ(items[1].Text("caption"), ">>> \"x\" \\ y");
  EXPECT_EQ(items[1].Color("color"), RGB(0, 0, 0x80));
  EXPECT_TRUE(items[1].Flag("bold"));
  EXPECT_EQ(items[1].Integer("height"), -12);
  EXPECT_EQ(items[1].Integer("missing", 7), 7);
  EXPECT_EQ(items[1].Text("empty"), "");
}

TEST(Layout, RejectsMalformedLinesNamingTheLine) {
  const struct {
    const char* text;
    const char* what;
  } cases[] = {
      {"form F\nlabel L caption=\"open", "line 2"},
      {"form F\nlabel L caption", "line 2"},
      {"form F\nlabel", "line 2"},
      {"form F a=1 a=2", "line 1"},
      {"form F caption=\"bad \\n escape\"", "line 1"},
  };
  for (const auto& c : cases) {
    try {
      platform::ParseLayout(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.what), std::string::npos) << e.what();
    }
  }
  auto items = platform::ParseLayout("form F color=999999 bold=yes height=12px client=1,x");
  EXPECT_THROW(items[0].Color("color"), std::runtime_error);
  EXPECT_THROW(items[0].Flag("bold"), std::runtime_error);
  EXPECT_THROW(items[0].Integer("height"), std::runtime_error);
  EXPECT_THROW(items[0].Numbers("client"), std::runtime_error);
}

TEST(Layout, BothFormsAreCompiledInAndParse) {
  for (const char* name : {"TFORM1", "TFORM2"}) {
    auto items = platform::ParseLayout(platform::LoadLayoutResource(GetModuleHandleA(nullptr), name));
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0].kind, "form");
    EXPECT_EQ(items[0].Text("caption"), "VtxGuard");
  }
  EXPECT_THROW(platform::LoadLayoutResource(GetModuleHandleA(nullptr), "TFORM3"), std::runtime_error);
}

}  // namespace
