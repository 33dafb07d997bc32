#pragma once
#include <string>

// The folder of the running executable; paths beside it are AppDir + "\" + name.
std::string ModuleAppDir();
