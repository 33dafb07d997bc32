#pragma once
#include <string>

namespace platform { class IniFile; }

// Every text the monitor reads from its language file.
enum class TextId {
  Show,           // tray menu
  Launch,
  Exit,
  Title,          // popup
  Close,
  SystemStatus,
  Start,
  Message1a,
  Message1b,
  Message1c,
  Cleanup,
  Message2,
  Message2a,
  Message2b,
  Message2c,
  AutomaticScan,
  Configure,
  NotSetUp,       // automatic-scan line
  Message3a,
  At,
  Message3b,
  Message3c,
  Message3d,
};

struct TextEntry {
  TextId id;
  const char* section;
  const char* key;
  const char* defaultText;
};

// The table itself, one row per TextId in enum order.
const TextEntry& TextEntryOf(TextId id);

// The text from the language file, or its built-in English default.
std::string LookupText(const platform::IniFile& langIni, TextId id);
