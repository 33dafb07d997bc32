#include "guard/Unit0.h"

std::string AppDir;
std::string LangFileName;
std::unique_ptr<platform::IniFile> LangIni;
