// The four settings readers against the real registry, over the shared table of stored types.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/Settings.h"
#include "platform/DateTime.h"
#include "platform/Registry.h"
#include "tests/support/StoredTypes.h"
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
// Two computations of the same millisecond may differ in their last bits.
const double kHalfMs = 0.5 / 86400000;

// The shared table of stored types, and two ways of storing nothing.
struct Case {
  const char* label;
  const stored::StoredType* type;  // nullptr: not stored
  bool key;                        // the key exists (with another value in it)
  bool exists;
  int integer;
  const char* boolean;   // "true", "false" or the expected error text
  const char* dateTime;  // stored::kNow, "value" or the expected error text
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

std::vector<Case> Cases() {
  std::vector<Case> cases;
  for (const auto& t : stored::StoredTypes())
    cases.push_back({t.label, &t, true, true, t.integer, t.boolean, t.dateTime});
  cases.push_back({"missing_value", nullptr, true, false, 0, "false", stored::kNow});
  cases.push_back({"missing_key", nullptr, false, false, 0, "false", stored::kNow});
  return cases;
}

class Readers : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    reg::DeleteTree(key);
    const Case& c = GetParam();
    if (c.type) stored::StoreAt(key, name, *c.type);
    else if (c.key) reg::SetDword(key, "Other", 1);
  }
  void TearDown() override { reg::DeleteTree(key); }

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
    EXPECT_EQ(stored::Named(expected.c_str(), name), e.what());
  }
}

TEST_P(Readers, RegReadDateTime) {
  const std::string expected = GetParam().dateTime;
  const double before = testsupport::OleLocalNow();
  if (expected == stored::kNow) {
    double got = RegReadDateTime(HKEY_CURRENT_USER, path, name);
    EXPECT_GE(got, before - kHalfMs);
    EXPECT_LE(got, testsupport::OleLocalNow() + kHalfMs);
  } else if (expected == "value") {
    const double got = RegReadDateTime(HKEY_CURRENT_USER, path, name);
    EXPECT_EQ(0, std::memcmp(GetParam().type->data.data(), &got, sizeof got)) << got;
  } else {
    try {
      RegReadDateTime(HKEY_CURRENT_USER, path, name);
      FAIL() << "no error raised";
    } catch (const platform::RegistryError& e) {
      EXPECT_EQ(stored::Named(expected.c_str(), name), e.what());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Stored, Readers, ::testing::ValuesIn(Cases()),
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
  // Read inside one second, away from its edges: a fallback rounded or cut to whole seconds
  // would fall before the first clock reading.
  for (;;) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    if (t.wMilliseconds < 100 || t.wMilliseconds > 800) continue;
    const double before = testsupport::OleLocalNow();
    const double got = RegReadDateTime(HKEY_CURRENT_USER, "\\SOFTWARE\\VtxNoSuchKey", "s_Time");
    const double after = testsupport::OleLocalNow();
    if (std::floor(before * 86400) != std::floor(after * 86400)) continue;  // a second ended
    EXPECT_GE(got, before - kHalfMs);
    EXPECT_LE(got, after + kHalfMs);
    break;
  }
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
