#include "common/Language.h"

std::string LanguageFileName(int code) {
  static const char* const kFiles[] = {
      "English.ini", "French.ini",    "German.ini",  "Spanish.ini",  "Italian.ini",
      "Portuguese.ini", "Danish.ini", "Dutch.ini",   "Swedish.ini",  "Polish.ini",
      "Russian.ini", "Brazilian.ini", "Finnish.ini", "Norwegian.ini", "Turkish.ini",
  };
  if (code < 1 || code > 15) return "English.ini";
  return kFiles[code - 1];
}
