#pragma once
#include <windows.h>

#include <string>

// Typed readers of the settings store. Each opens its own key for the one read and closes it
// again: nothing is cached, so a value changed by the main application shows at the next read.
// Key paths start with a backslash (from the root).

extern const char* const SettingsKey;  // "\SOFTWARE\Vantorix"
extern const char* const RunKey;       // "\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
extern const char* const RunValue;     // "Vantorix", the logon entry

// Any type counts; the key is opened with full access, so a key readable but not writable
// reads as absent.
bool RegValueExists(HKEY root, const std::string& key, const std::string& name);
// REG_DWORD as a signed value; 0 when missing or of another type.
int RegReadInteger(HKEY root, const std::string& key, const std::string& name);
// false when missing; a value of another type raises platform::RegistryError.
bool RegReadBool(HKEY root, const std::string& key, const std::string& name);
// An 8-byte REG_BINARY; now when missing or not REG_BINARY; another length raises
// platform::RegistryError.
double RegReadDateTime(HKEY root, const std::string& key, const std::string& name);
