#pragma once
// Process-wide state of the monitor, set once by the tray host's creation step; the settings
// readers come with it.
#include <memory>
#include <string>

#include "common/Settings.h"
#include "platform/IniFile.h"

extern std::string AppDir;        // folder of the running executable
extern std::string LangFileName;  // the language file chosen by "Language"
// The language file beside the executable, read for every text of the process.
extern std::unique_ptr<platform::IniFile> LangIni;
