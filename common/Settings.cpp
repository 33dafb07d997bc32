#include "common/Settings.h"

#include "platform/DateTime.h"
#include "platform/Registry.h"

using platform::Registry;

const char* const SettingsKey = "\\SOFTWARE\\Vantorix";
const char* const RunKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const RunValue = "Vantorix";

bool RegValueExists(HKEY root, const std::string& key, const std::string& name) {
  Registry registry(KEY_ALL_ACCESS);
  registry.SetRootKey(root);
  if (!registry.OpenKey(key, false)) return false;
  return registry.ValueExists(name);
}

int RegReadInteger(HKEY root, const std::string& key, const std::string& name) {
  Registry registry;
  registry.SetRootKey(root);
  if (!registry.OpenKeyReadOnly(key) || !registry.ValueExists(name)) return 0;
  DWORD type, size;
  registry.GetDataInfo(name, type, size);
  // A REG_DWORD of another length than 4 bytes is no 32-bit integer either: read as 0 like
  // any other type, so a count or the language never turns into an error.
  return type == REG_DWORD && size == sizeof(DWORD) ? registry.ReadInteger(name) : 0;
}

bool RegReadBool(HKEY root, const std::string& key, const std::string& name) {
  Registry registry;
  registry.SetRootKey(root);
  if (!registry.OpenKeyReadOnly(key) || !registry.ValueExists(name)) return false;
  return registry.ReadBool(name);  // no type test first: a wrong type raises
}

double RegReadDateTime(HKEY root, const std::string& key, const std::string& name) {
  const double now = platform::LocalNow();
  Registry registry;
  registry.SetRootKey(root);
  if (!registry.OpenKeyReadOnly(key) || !registry.ValueExists(name)) return now;
  DWORD type, size;
  registry.GetDataInfo(name, type, size);
  return type == REG_BINARY ? registry.ReadFloat(name) : now;
}
