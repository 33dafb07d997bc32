#include "platform/IniFile.h"

#include <windows.h>

namespace platform {

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultText) const {
  char buffer[2048];
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), buffer,
                                     sizeof buffer, fileName_.c_str());
  return std::string(buffer, n);
}

}  // namespace platform
