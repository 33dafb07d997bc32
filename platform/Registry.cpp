#include "platform/Registry.h"

namespace platform {
namespace {

std::string Relative(const std::string& path) {
  return (!path.empty() && path[0] == '\\') ? path.substr(1) : path;
}

[[noreturn]] void Fail(const char* format, const std::string& name) {
  std::string text = format;
  text.replace(text.find("%s"), 2, name);
  throw RegistryError(text);
}

}  // namespace

bool Registry::Open(const std::string& path, REGSAM access, bool canCreate) {
  CloseKey();
  std::string relative = Relative(path);
  HKEY key = nullptr;
  LONG status =
      canCreate ? RegCreateKeyExA(root_, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  access, nullptr, &key, nullptr)
                : RegOpenKeyExA(root_, relative.c_str(), 0, access, &key);
  if (status != ERROR_SUCCESS) return false;
  key_ = key;
  return true;
}

bool Registry::OpenKey(const std::string& path, bool canCreate) {
  return Open(path, access_, canCreate);
}

bool Registry::OpenKeyReadOnly(const std::string& path) {
  return Open(path, KEY_READ, false) ||
         Open(path, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, false) ||
         Open(path, KEY_QUERY_VALUE, false);
}

void Registry::CloseKey() {
  if (key_ != nullptr) {
    RegCloseKey(key_);
    key_ = nullptr;
  }
}

bool Registry::GetDataInfo(const std::string& name, DWORD& type, DWORD& size) const {
  type = REG_NONE;
  size = 0;
  return key_ != nullptr &&
         RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

bool Registry::ValueExists(const std::string& name) const {
  DWORD type, size;
  return GetDataInfo(name, type, size);
}

DWORD Registry::GetData(const std::string& name, void* buffer, DWORD bufferSize,
                        DWORD& type) const {
  DWORD size = bufferSize;
  type = REG_NONE;
  if (key_ == nullptr ||
      RegQueryValueExA(key_, name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS)
    Fail("Failed to get data for '%s'", name);
  return size;
}

int Registry::ReadInteger(const std::string& name) const {
  DWORD value = 0;  // a REG_DWORD shorter than 4 bytes leaves the rest zero
  DWORD type;
  GetData(name, &value, sizeof value, type);
  if (type != REG_DWORD) Fail("Invalid data type for '%s'", name);
  return static_cast<int>(value);
}

double Registry::ReadFloat(const std::string& name) const {
  double value = 0;
  DWORD type;
  DWORD size = GetData(name, &value, sizeof value, type);
  if (type != REG_BINARY || size != sizeof value) Fail("Invalid data type for '%s'", name);
  return value;
}

bool Registry::DeleteValue(const std::string& name) const {
  return key_ != nullptr && RegDeleteValueA(key_, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace platform
