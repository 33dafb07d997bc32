#pragma once
// One table of the ways a setting can be stored, and what each typed reader makes of it.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace robust {

const std::string kSettings = "SOFTWARE\\Vantorix";
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// What a read gives: a value, the fallback, or the registry layer's error.
const char* const kNow = "now";  // RegReadDateTime's fallback
const char* const kInvalid = "Invalid data type for '%s'";
const char* const kFailed = "Failed to get data for '%s'";

// 14:30 on a day of 2023, as an 8-byte double.
const double kScanTime = 45000.0 + 14.5 / 24;

struct StoredType {
  const char* label;
  DWORD type;
  std::string data;
  int integer;           // RegReadInteger
  const char* boolean;   // RegReadBool: "true", "false" or an error
  const char* dateTime;  // RegReadDateTime: kNow, "value" (the stored double) or an error
};

inline std::string Bytes(size_t n, char fill = '\x01') { return std::string(n, fill); }
inline std::string Raw(const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); }
inline std::string DwordBytes(DWORD v) { return Raw(&v, sizeof v); }
inline std::string QwordBytes(unsigned long long v) { return Raw(&v, sizeof v); }
inline std::string DoubleBytes(double d) { return Raw(&d, sizeof d); }

// Data longer than the 4 bytes of a REG_DWORD cannot be read as one ("Failed to get data");
// shorter or equal data of another type is of the wrong type ("Invalid data type"). Strings
// are measured as the ANSI reader gets them, terminator included.
inline const std::vector<StoredType>& StoredTypes() {
  static const std::vector<StoredType> table = {
      {"dword_7", REG_DWORD, DwordBytes(7), 7, "true", kNow},
      {"dword_0", REG_DWORD, DwordBytes(0), 0, "false", kNow},
      // A REG_DWORD of another length is no integer to RegReadInteger; RegReadBool reads
      // what fits in 4 bytes.
      {"dword_len0", REG_DWORD, "", 0, "false", kNow},
      {"dword_len2", REG_DWORD, Bytes(2), 0, "true", kNow},
      {"dword_len3", REG_DWORD, std::string("\0\0\0", 3), 0, "false", kNow},
      {"dword_len8", REG_DWORD, QwordBytes(7), 0, kFailed, kNow},
      {"dword_big_endian", REG_DWORD_BIG_ENDIAN, DwordBytes(7), 0, kInvalid, kNow},
      {"none_0", REG_NONE, "", 0, kInvalid, kNow},
      {"none_4", REG_NONE, DwordBytes(7), 0, kInvalid, kNow},
      {"qword", REG_QWORD, QwordBytes(1), 0, kFailed, kNow},
      {"sz_short", REG_SZ, std::string("1", 2), 0, kInvalid, kNow},
      {"sz_long", REG_SZ, std::string("enabled", 8), 0, kFailed, kNow},
      {"expand_sz", REG_EXPAND_SZ, std::string("%SystemRoot%\\x", 15), 0, kFailed, kNow},
      {"multi_sz", REG_MULTI_SZ, std::string("1\0" "2\0", 5), 0, kFailed, kNow},
      {"binary_0", REG_BINARY, "", 0, kInvalid, kInvalid},
      {"binary_1", REG_BINARY, Bytes(1), 0, kInvalid, kInvalid},
      {"binary_4", REG_BINARY, Bytes(4), 0, kInvalid, kInvalid},
      {"binary_8", REG_BINARY, DoubleBytes(kScanTime), 0, kFailed, "value"},
      {"binary_8_nan", REG_BINARY, Bytes(8, '\xFF'), 0, kFailed, "value"},
      {"binary_9", REG_BINARY, Bytes(9), 0, kFailed, kFailed},
      {"binary_64k", REG_BINARY, Bytes(64 * 1024, '\x5A'), 0, kFailed, kFailed},
  };
  return table;
}

inline void Store(const std::string& name, const StoredType& t) {
  testsupport::reg::SetRaw(kSettings, name, t.type, t.data.data(),
                           static_cast<DWORD>(t.data.size()));
}

inline std::string Named(const char* text, const std::string& name) {
  std::string s = text;
  const size_t at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, name);
  return s;
}

inline bool IsError(const char* outcome) {
  return std::strcmp(outcome, kInvalid) == 0 || std::strcmp(outcome, kFailed) == 0;
}

inline void ClearRegistry() {
  testsupport::reg::DeleteTree(kSettings);
  testsupport::reg::DeleteValue(kRun, "Vantorix");
}

}  // namespace robust
