#include "platform/Layout.h"

#include <cstdlib>
#include <stdexcept>

namespace platform {
namespace {

[[noreturn]] void Fail(int line, const std::string& what) {
  throw std::runtime_error("layout line " + std::to_string(line) + ": " + what);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int ParseInt(const std::string& text, int line, const std::string& key) {
  if (text.empty()) Fail(line, "empty number for " + key);
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0') Fail(line, "not a number for " + key + ": " + text);
  return static_cast<int>(value);
}

// The words of one line; a quoted word keeps its blanks.
std::vector<std::string> Split(const std::string& text, int line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i >= text.size()) break;
    std::string word;
    while (i < text.size() && !IsSpace(text[i])) {
      if (text[i] == '"') {
        ++i;
        for (;;) {
          if (i >= text.size()) Fail(line, "unterminated quote");
          char c = text[i++];
          if (c == '"') break;
          if (c == '\\') {
            if (i >= text.size()) Fail(line, "unterminated quote");
            c = text[i++];
            if (c != '"' && c != '\\') Fail(line, "unknown escape");
          }
          word += c;
        }
      } else {
        word += text[i++];
      }
    }
    words.push_back(word);
  }
  return words;
}

}  // namespace

std::string LayoutItem::Text(const std::string& key, const std::string& fallback) const {
  auto it = properties.find(key);
  return it == properties.end() ? fallback : it->second;
}

int LayoutItem::Integer(const std::string& key, int fallback) const {
  auto it = properties.find(key);
  return it == properties.end() ? fallback : ParseInt(it->second, line, key);
}

bool LayoutItem::Flag(const std::string& key, bool fallback) const {
  auto it = properties.find(key);
  if (it == properties.end()) return fallback;
  if (it->second == "true") return true;
  if (it->second == "false") return false;
  Fail(line, "not true or false for " + key + ": " + it->second);
}

COLORREF LayoutItem::Color(const std::string& key, COLORREF fallback) const {
  auto it = properties.find(key);
  if (it == properties.end()) return fallback;
  const std::string& v = it->second;
  if (v.size() != 7 || v[0] != '#') Fail(line, "not a colour #RRGGBB for " + key + ": " + v);
  char* end = nullptr;
  unsigned long rgb = std::strtoul(v.c_str() + 1, &end, 16);
  if (*end != '\0') Fail(line, "not a colour #RRGGBB for " + key + ": " + v);
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::vector<int> LayoutItem::Numbers(const std::string& key) const {
  std::vector<int> numbers;
  std::string v = Text(key);
  size_t start = 0;
  for (;;) {
    size_t comma = v.find(',', start);
    numbers.push_back(ParseInt(v.substr(start, comma - start), line, key));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return numbers;
}

std::vector<LayoutItem> ParseLayout(const std::string& text) {
  std::vector<LayoutItem> items;
  size_t start = 0;
  int number = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    std::vector<std::string> words = Split(line, number);
    if (words.size() < 2) Fail(number, "a kind and a name are needed");
    LayoutItem item;
    item.kind = words[0];
    item.name = words[1];
    item.line = number;
    for (size_t i = 2; i < words.size(); ++i) {
      size_t eq = words[i].find('=');
      if (eq == std::string::npos || eq == 0) Fail(number, "key=value expected: " + words[i]);
      std::string key = words[i].substr(0, eq);
      if (!item.properties.emplace(key, words[i].substr(eq + 1)).second)
        Fail(number, "property given twice: " + key);
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::string LoadLayoutResource(HINSTANCE module, const std::string& name) {
  HRSRC found = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (found == nullptr) throw std::runtime_error("layout resource " + name + " not found");
  HGLOBAL loaded = LoadResource(module, found);
  const char* data = static_cast<const char*>(LockResource(loaded));
  if (data == nullptr) throw std::runtime_error("layout resource " + name + " not readable");
  return std::string(data, SizeofResource(module, found));
}

}  // namespace platform
