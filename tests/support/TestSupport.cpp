#include "tests/support/TestSupport.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/AppDir.h"

namespace testsupport {

std::string BinDir() { return ModuleAppDir(); }

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(stepMs);
  }
}

namespace {

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        DeleteFileA(full.c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

}  // namespace

InstallFolder::InstallFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  static unsigned counter = 0;
  for (;;) {
    path_ = std::string(temp) + "vtx-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    Check(GetLastError() == ERROR_ALREADY_EXISTS, "CreateDirectory " + path_);
  }
}

InstallFolder::~InstallFolder() {
  // A program that is just ending may still hold its file for a moment.
  WaitFor([&] {
    RemoveTree(path_);
    return GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES;
  }, 5000, 50);
}

void InstallFolder::Copy(const std::string& source, const std::string& name) const {
  Check(CopyFileA((BinDir() + "\\" + source).c_str(), (*this / name).c_str(), FALSE),
        "CopyFile " + source);
}

void InstallFolder::AddStub(const std::string& name, bool hidden) const {
  Copy("StubMember.exe", name);
  if (hidden) WriteFile(name.substr(0, name.find_last_of('.')) + ".hidden", "");
}

void InstallFolder::WriteFile(const std::string& name, const std::string& content) const {
  std::ofstream out(*this / name, std::ios::binary);
  out << content;
  Check(static_cast<bool>(out), "write " + name);
}

void InstallFolder::MakeFolder(const std::string& name) const {
  Check(CreateDirectoryA((*this / name).c_str(), nullptr), "CreateDirectory " + name);
}

std::vector<StubEvent> ReadStubLog(const InstallFolder& folder, const std::string& stem) {
  std::vector<StubEvent> events;
  std::ifstream in(folder / (stem + ".log"), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> parts;
    std::string::size_type start = 0, bar;
    while ((bar = line.find('|', start)) != std::string::npos) {
      parts.push_back(line.substr(start, bar - start));
      start = bar + 1;
    }
    parts.push_back(line.substr(start));
    if (parts.size() < 2) continue;
    StubEvent event;
    event.kind = parts.front();
    event.ms = std::stoull(parts.back());
    event.fields.assign(parts.begin() + 1, parts.end() - 1);
    events.push_back(event);
  }
  return events;
}

Process::Process(const std::string& program, const std::string& arguments) {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  Check(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info_),
        "CreateProcess " + program);
  CloseHandle(info_.hThread);
  info_.hThread = nullptr;
}

Process::~Process() {
  if (info_.hProcess == nullptr) return;
  if (ExitCode() == STILL_ACTIVE) Terminate();
  CloseHandle(info_.hProcess);
}

bool Process::Wait(DWORD timeoutMs) {
  return WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void Process::Terminate() {
  TerminateProcess(info_.hProcess, 255);
  WaitForSingleObject(info_.hProcess, 5000);
}

DWORD Run(const std::string& program, const std::string& arguments, DWORD timeoutMs) {
  Process process(program, arguments);
  if (!process.Wait(timeoutMs)) {
    process.Terminate();
    return STILL_ACTIVE;
  }
  return process.ExitCode();
}

std::vector<HWND> WindowsTitled(const std::string& title) {
  std::vector<HWND> found;
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, nullptr, title.c_str())) != nullptr)
    found.push_back(window);
  return found;
}

DWORD WindowProcessId(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

HWND WindowOf(DWORD pid, const char* className, const char* title) {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, className, title)) != nullptr)
    if (WindowProcessId(window) == pid) return window;
  return nullptr;
}

namespace {
BOOL CALLBACK LongestStatic(HWND child, LPARAM param) {
  char cls[32] = {}, buffer[1024] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, buffer, sizeof buffer) > 0) {
    auto* out = reinterpret_cast<std::string*>(param);
    if (std::string(buffer).size() > out->size()) *out = buffer;
  }
  return TRUE;
}
}  // namespace

std::string MessageBoxText(HWND box) {
  std::string text;
  EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&text));
  return text;
}

namespace {
BOOL CALLBACK ReadBoxChild(HWND child, LPARAM param) {
  auto* content = reinterpret_cast<BoxContent*>(param);
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") != 0) return TRUE;
  if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    content->iconShown = content->iconShown || IsWindowVisible(child);
  } else {
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    if (std::string(text).size() > content->text.size()) content->text = text;
  }
  return TRUE;
}
}  // namespace

BoxContent ReadBox(HWND box) {
  BoxContent content;
  EnumChildWindows(box, ReadBoxChild, reinterpret_cast<LPARAM>(&content));
  return content;
}

HWND FindBox(DWORD pid, const char* title, DWORD timeoutMs) {
  HWND found = nullptr;
  // The box exists a moment before its text is set and it is shown.
  WaitFor([&] {
    found = WindowOf(pid, "#32770", title);
    return found != nullptr && IsWindowVisible(found) && !ReadBox(found).text.empty();
  }, timeoutMs);
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

std::vector<std::string> ChildProcesses(DWORD pid) {
  std::vector<std::string> children;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  Check(snapshot != INVALID_HANDLE_VALUE, "CreateToolhelp32Snapshot");
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == pid && entry.th32ProcessID != pid)
      children.push_back(entry.szExeFile);
  CloseHandle(snapshot);
  return children;
}

double OleLocalNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  // Days from 1899-12-30 to the date, by the civil calendar.
  const int y = t.wMonth <= 2 ? t.wYear - 1 : t.wYear;
  const int era = y / 400, yoe = y - era * 400;
  const int doy = (153 * (t.wMonth + (t.wMonth > 2 ? -3 : 9)) + 2) / 5 + t.wDay - 1;
  const long long days = era * 146097LL + yoe * 365 + yoe / 4 - yoe / 100 + doy - 693899;
  return days + (((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * 1000.0 + t.wMilliseconds) /
                    86400000.0;
}

std::string EnUsLongTime(int hour, int minute, int second) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour % 12 == 0 ? 12 : hour % 12, minute,
                second, hour < 12 ? "AM" : "PM");
  return text;
}

bool TrayIconPresent(HWND window, UINT id) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = window;
  data.uID = id;
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

namespace reg {

namespace {
HKEY Create(const std::string& key) {
  HKEY handle = nullptr;
  LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) throw std::runtime_error("RegCreateKeyEx " + key);
  return handle;
}
}  // namespace

void SetRaw(const std::string& key, const std::string& name, DWORD type, const void* data,
            DWORD size) {
  HKEY handle = Create(key);
  LONG status = RegSetValueExA(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(handle);
  if (status != ERROR_SUCCESS) throw std::runtime_error("RegSetValueEx " + name);
}

void SetDword(const std::string& key, const std::string& name, DWORD value) {
  SetRaw(key, name, REG_DWORD, &value, sizeof value);
}

void SetQword(const std::string& key, const std::string& name, unsigned long long value) {
  SetRaw(key, name, REG_QWORD, &value, sizeof value);
}

void SetString(const std::string& key, const std::string& name, const std::string& value,
               DWORD type) {
  SetRaw(key, name, type, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void SetBinary(const std::string& key, const std::string& name, const std::string& bytes) {
  SetRaw(key, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void SetDateTime(const std::string& key, const std::string& name, double dateTime) {
  SetRaw(key, name, REG_BINARY, &dateTime, sizeof dateTime);
}

void DeleteValue(const std::string& key, const std::string& name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS)
    return;
  RegDeleteValueA(handle, name.c_str());
  RegCloseKey(handle);
}

void DeleteTree(const std::string& key) {
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());  // the values and subkeys
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());   // the key itself
}

bool KeyExists(const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  RegCloseKey(handle);
  return true;
}

bool ValueExists(const std::string& key, const std::string& name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  bool exists = RegQueryValueExA(handle, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                ERROR_SUCCESS;
  RegCloseKey(handle);
  return exists;
}

}  // namespace reg
}  // namespace testsupport
