#include "common/Texts.h"

#include "platform/IniFile.h"

namespace {

const TextEntry kTexts[] = {
    {TextId::Show, "VedadEzodi", "Show", "Show Performance Monitor"},
    {TextId::Launch, "VedadEzodi", "Launch", "Launch Vantorix"},
    {TextId::Exit, "Buttons", "Exit", "Exit"},
    {TextId::Title, "VedadEzodi", "VedadEzodi", "Performance Monitor"},
    {TextId::Close, "Buttons", "Close", "Close"},
    {TextId::SystemStatus, "VedadEzodi", "SystemStatus", "System Status"},
    {TextId::Start, "VedadEzodi", "Start", "Start"},
    {TextId::Message1a, "VedadEzodi", "Message1a", "Vantorix has found"},
    {TextId::Message1b, "VedadEzodi", "Message1b", "items"},
    {TextId::Message1c, "VedadEzodi", "Message1c", "to clean and optimize."},
    {TextId::Cleanup, "VedadEzodi", "Cleanup", "Clean up"},
    {TextId::Message2, "VedadEzodi", "Message2", "Keep your computer clean and secure"},
    {TextId::Message2a, "VedadEzodi", "Message2a", "There are"},
    {TextId::Message2b, "VedadEzodi", "Message2b", "privacy risks available for cleanup"},
    {TextId::Message2c, "VedadEzodi", "Message2c", "junk files available for cleanup"},
    {TextId::AutomaticScan, "VedadEzodi", "AutomaticScan", "Automatic scan"},
    {TextId::Configure, "VedadEzodi", "Configure", "Configure"},
    // The line shown while no logon entry exists has a key of its own.
    {TextId::NotSetUp, "VedadEzodi", "Message3", "Automatic scan not yet setup"},
    {TextId::Message3a, "VedadEzodi", "Message3a", "Next automatic scan is set to run on"},
    {TextId::At, "Schedule", "at", "at"},
    {TextId::Message3b, "VedadEzodi", "Message3b", "Scan at startup"},
    {TextId::Message3c, "VedadEzodi", "Message3c", "Scan at idle mode"},
    {TextId::Message3d, "VedadEzodi", "Message3d", "Scan at startup and idle mode"},
};

static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<size_t>(TextId::Message3d) + 1,
              "one row per TextId");

}  // namespace

const TextEntry& TextEntryOf(TextId id) { return kTexts[static_cast<size_t>(id)]; }

std::string LookupText(const platform::IniFile& langIni, TextId id) {
  const TextEntry& entry = TextEntryOf(id);
  return langIni.ReadString(entry.section, entry.key, entry.defaultText);
}
