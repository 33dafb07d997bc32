#pragma once
#include <string>

namespace platform {

// The full path of the running executable.
std::string ModuleFileName();

// The folder part of a file name: the name less its last component and the backslash before
// it; a drive root ("C:\") keeps its backslash.
std::string ExtractFileDir(const std::string& fileName);

// True only for a file: a folder of that name does not count.
bool FileExists(const std::string& path);

}  // namespace platform
