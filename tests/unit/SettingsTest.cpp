// The four settings readers against the real registry, one table of stored values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/Settings.h"
#include "platform/DateTime.h"
#include "platform/Registry.h"
#include "tests/support/TestSupport.h"

namespace reg = testsupport::reg;

namespace {

// Every test has a key of its own: CTest runs them in parallel.
std::string OwnKey() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name)
    if (c == '/') c = '.';
  return "SOFTWARE\\VtxReaderTest\\" + name;
}
const char* const kNow = "now";          // the date-time fallback

std::string Bytes(size_t n) { return std::string(n, '\x01'); }
std::string DoubleBytes(double d) {
  std::string s(8, '\0');
  std::memcpy(&s[0], &d, 8);
  return s;
}

enum class Stored { None, Dword, Qword, String, Binary, NoKey };

struct Case {
  const char* label;
  Stored stored;
  unsigned long long number;  // Dword / Qword
  std::string data;           // String / Binary
  bool exists;
  int integer;
  const char* boolean;   // "true", "false" or the expected error text
  const char* dateTime;  // kNow, a number, or the expected error text
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

// %s stands for the value's name.
const char* const kInvalid = "Invalid data type for '%s'";
const char* const kFailed = "Failed to get data for '%s'";

const Case kCases[] = {
    {"dword_5", Stored::Dword, 5, "", true, 5, "true", kNow},
    {"dword_0", Stored::Dword, 0, "", true, 0, "false", kNow},
    {"dword_2", Stored::Dword, 2, "", true, 2, "true", kNow},
    {"dword_negative", Stored::Dword, 0xFFFFFFFDu, "", true, -3, "true", kNow},
    {"qword", Stored::Qword, 1, "", true, 0, kFailed, kNow},
    {"string_short", Stored::String, 0, "1", true, 0, kInvalid, kNow},
    {"string_long", Stored::String, 0, "a much longer text", true, 0, kFailed, kNow},
    {"binary_4", Stored::Binary, 0, Bytes(4), true, 0, kInvalid, kInvalid},
    {"binary_8", Stored::Binary, 0, DoubleBytes(45000.75), true, 0, kFailed, "45000.75"},
    {"binary_9", Stored::Binary, 0, Bytes(9), true, 0, kFailed, kFailed},
    {"missing_value", Stored::None, 0, "", false, 0, "false", kNow},
    {"missing_key", Stored::NoKey, 0, "", false, 0, "false", kNow},
};

class Readers : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    reg::DeleteTree(key);
    const Case& c = GetParam();
    switch (c.stored) {
      case Stored::Dword: reg::SetDword(key, name, static_cast<DWORD>(c.number)); break;
      case Stored::Qword: reg::SetQword(key, name, c.number); break;
      case Stored::String: reg::SetString(key, name, c.data); break;
      case Stored::Binary: reg::SetBinary(key, name, c.data); break;
      case Stored::None: reg::SetDword(key, "Other", 1); break;
      case Stored::NoKey: break;
    }
  }
  void TearDown() override { reg::DeleteTree(key); }

  static std::string Expanded(const char* text, const std::string& name) {
    std::string s = text;
    std::string::size_type at = s.find("%s");
    if (at != std::string::npos) s.replace(at, 2, name);
    return s;
  }

  const std::string name = "s_Value";
  const std::string key = OwnKey();
  const std::string path = "\\" + key;  // as callers pass it: from the root
};

TEST_P(Readers, RegValueExists) {
  EXPECT_EQ(GetParam().exists, RegValueExists(HKEY_CURRENT_USER, path, name));
}

TEST_P(Readers, RegReadInteger) {
  EXPECT_EQ(GetParam().integer, RegReadInteger(HKEY_CURRENT_USER, path, name));
}

TEST_P(Readers, RegReadBool) {
  const std::string expected = GetParam().boolean;
  if (expected == "true" || expected == "false") {
    EXPECT_EQ(expected == "true", RegReadBool(HKEY_CURRENT_USER, path, name));
    return;
  }
  try {
    RegReadBool(HKEY_CURRENT_USER, path, name);
    FAIL() << "no error raised";
  } catch (const platform::RegistryError& e) {
    EXPECT_EQ(Expanded(expected.c_str(), name), e.what());
  }
}

TEST_P(Readers, RegReadDateTime) {
  const std::string expected = GetParam().dateTime;
  const double before = platform::LocalNow();
  if (expected == kNow) {
    double got = RegReadDateTime(HKEY_CURRENT_USER, path, name);
    EXPECT_GE(got, before);
    EXPECT_LE(got, platform::LocalNow());
  } else if (std::isdigit(static_cast<unsigned char>(expected[0]))) {
    EXPECT_DOUBLE_EQ(std::stod(expected), RegReadDateTime(HKEY_CURRENT_USER, path, name));
  } else {
    try {
      RegReadDateTime(HKEY_CURRENT_USER, path, name);
      FAIL() << "no error raised";
    } catch (const platform::RegistryError& e) {
      EXPECT_EQ(Expanded(expected.c_str(), name), e.what());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Stored, Readers, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(Readers, KeyPathWithTrailingBackslashAndNoCaching) {
  const std::string key = OwnKey(), path = "\\" + key;
  reg::DeleteTree(key);
  reg::SetDword(key, "Flag", 1);
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, path + "\\", "Flag"));
  EXPECT_TRUE(RegReadBool(HKEY_CURRENT_USER, path, "Flag"));
  reg::SetDword(key, "Flag", 0);  // a change is seen by the next read
  EXPECT_FALSE(RegReadBool(HKEY_CURRENT_USER, path, "Flag"));
  reg::DeleteValue(key, "Flag");
  EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, path, "Flag"));
  reg::DeleteTree(key);
}

TEST(Readers, DateTimeFallbackHasMilliseconds) {
  // Two reads a few milliseconds apart differ: the fallback is not rounded to seconds.
  double first = RegReadDateTime(HKEY_CURRENT_USER, "\\SOFTWARE\\VtxNoSuchKey", "s_Time");
  Sleep(30);
  double second = RegReadDateTime(HKEY_CURRENT_USER, "\\SOFTWARE\\VtxNoSuchKey", "s_Time");
  EXPECT_GT(second - first, 10.0 / 86400000.0);
  EXPECT_LT(second - first, 1000.0 / 86400000.0);
}

TEST(Readers, ReadersNeverCreateTheKey) {
  const std::string key = OwnKey(), path = "\\" + key;
  reg::DeleteTree(key);
  RegValueExists(HKEY_CURRENT_USER, path, "x");
  RegReadInteger(HKEY_CURRENT_USER, path, "x");
  RegReadBool(HKEY_CURRENT_USER, path, "x");
  RegReadDateTime(HKEY_CURRENT_USER, path, "x");
  EXPECT_FALSE(reg::KeyExists(key));
}

}  // namespace
