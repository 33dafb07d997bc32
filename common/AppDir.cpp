#include "common/AppDir.h"

#include "platform/FileSystem.h"

std::string ModuleAppDir() { return platform::ExtractFileDir(platform::ModuleFileName()); }
