#include "platform/FileSystem.h"

#include <windows.h>

#include <vector>

namespace platform {

std::string ModuleFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);  // truncated: a long path
  }
}

std::string ExtractFileDir(const std::string& fileName) {
  std::string::size_type last = fileName.find_last_of("\\:");
  if (last == std::string::npos) return std::string();
  // "C:\x.exe" keeps "C:\"; "C:\dir\x.exe" drops the backslash before the name.
  if (last > 0 && fileName[last] == '\\' && fileName[last - 1] != '\\' && fileName[last - 1] != ':')
    return fileName.substr(0, last);
  return fileName.substr(0, last + 1);
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace platform
