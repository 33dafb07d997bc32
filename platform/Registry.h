#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>

namespace platform {

// Raised by the typed reads, with the registry layer's own texts.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A registry accessor: a root, an access mask and at most one open key, closed again by
// CloseKey or by the destructor.
class Registry {
 public:
  explicit Registry(REGSAM access = KEY_ALL_ACCESS) : access_(access) {}
  ~Registry() { CloseKey(); }
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  void SetRootKey(HKEY root) { CloseKey(); root_ = root; }

  // A leading backslash means "from the root" and is stripped before the key is opened.
  bool OpenKey(const std::string& path, bool canCreate);
  // KEY_READ, then STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, then
  // KEY_QUERY_VALUE alone; never creates the key.
  bool OpenKeyReadOnly(const std::string& path);
  void CloseKey();

  // Any type counts.
  bool ValueExists(const std::string& name) const;
  bool GetDataInfo(const std::string& name, DWORD& type, DWORD& size) const;

  // REG_DWORD only. Data longer than 4 bytes: "Failed to get data for '%s'"; another type:
  // "Invalid data type for '%s'".
  int ReadInteger(const std::string& name) const;
  bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }
  // REG_BINARY of exactly 8 bytes. Longer: "Failed to get data for '%s'"; another type or
  // shorter: "Invalid data type for '%s'".
  double ReadFloat(const std::string& name) const;

  bool DeleteValue(const std::string& name) const;

 private:
  bool Open(const std::string& path, REGSAM access, bool canCreate);
  // Reads at most bufferSize bytes; fails (RegistryError) when the data does not fit.
  DWORD GetData(const std::string& name, void* buffer, DWORD bufferSize, DWORD& type) const;

  HKEY root_ = HKEY_CURRENT_USER;
  REGSAM access_;
  HKEY key_ = nullptr;
};

}  // namespace platform
