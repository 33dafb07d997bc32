#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace platform {

// A form layout as data: one line per item, "kind name key=value ...", the form first and
// then its components in z-order (bottom to top). Values are bare words or "quoted text"
// with \" and \\ as escapes; '#' starts a comment line.
//
//   form TForm2 caption="VtxGuard" client=360,270 border=none color=#FFFFFF
//   label Label1a bounds=72,68,83,15 font="Arial" height=-12 bold=true caption="System Status"
struct LayoutItem {
  std::string kind;
  std::string name;
  std::map<std::string, std::string> properties;
  int line = 0;

  bool Has(const std::string& key) const { return properties.count(key) != 0; }
  std::string Text(const std::string& key, const std::string& fallback = "") const;
  int Integer(const std::string& key, int fallback = 0) const;
  bool Flag(const std::string& key, bool fallback = false) const;
  COLORREF Color(const std::string& key, COLORREF fallback = RGB(0, 0, 0)) const;
  // "left,top,width,height" or "width,height".
  std::vector<int> Numbers(const std::string& key) const;
};

// Throws std::runtime_error naming the line on any malformed input.
std::vector<LayoutItem> ParseLayout(const std::string& text);

// The text of an RCDATA resource of the module; throws when it is missing.
std::string LoadLayoutResource(HINSTANCE module, const std::string& name);

}  // namespace platform
