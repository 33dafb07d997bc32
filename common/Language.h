#pragma once
#include <string>

// The language file for a "Language" code: 1 to 15 name their own file, every other code
// gives "English.ini".
std::string LanguageFileName(int code);
