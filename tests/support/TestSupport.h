#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// The folder of the test program: every built program and the stub lie there.
std::string BinDir();

// Polls until done() holds or timeoutMs passes; returns done().
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs = 20);

// A fresh folder under %TEMP%, removed with everything in it when the object goes.
class InstallFolder {
 public:
  InstallFolder();
  ~InstallFolder();
  InstallFolder(const InstallFolder&) = delete;
  InstallFolder& operator=(const InstallFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  // Copies BinDir()\source to <folder>\name.
  void Copy(const std::string& source, const std::string& name) const;
  // The stub family member under a member's name ("Vantorix.exe", "VtxAux.exe", ...);
  // hidden keeps its window hidden.
  void AddStub(const std::string& name, bool hidden = false) const;
  void WriteFile(const std::string& name, const std::string& content) const;
  void MakeFolder(const std::string& name) const;

 private:
  std::string path_;
};

// One event of the stub's log.
struct StubEvent {
  std::string kind;                 // "start", "msg", "end"
  std::vector<std::string> fields;  // between the kind and the time
  unsigned long long ms = 0;
};
// The events the stub named stem ("Vantorix", "VtxGuard", ...) logged in folder.
std::vector<StubEvent> ReadStubLog(const InstallFolder& folder, const std::string& stem);

// A started process, ended (terminated) with the object unless it has exited.
class Process {
 public:
  // commandLine: the program's full path (quoted by us) and its arguments.
  explicit Process(const std::string& program, const std::string& arguments = "");
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Started() const { return info_.hProcess != nullptr; }
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  // Waits for the exit; returns false on time-out.
  bool Wait(DWORD timeoutMs);
  // The exit code, or STILL_ACTIVE.
  DWORD ExitCode() const;
  void Terminate();

 private:
  PROCESS_INFORMATION info_ = {};
};

// Runs a program to its end; returns its exit code, or STILL_ACTIVE after a time-out (then
// the process is terminated).
DWORD Run(const std::string& program, const std::string& arguments = "",
          DWORD timeoutMs = 30000);

// Top-level windows (visible or not) with this exact title, of any process.
std::vector<HWND> WindowsTitled(const std::string& title);
DWORD WindowProcessId(HWND window);
// A top-level window of a process by class (and title, when given); nullptr when none.
HWND WindowOf(DWORD pid, const char* className, const char* title = nullptr);
// The message of a message box: its longest static text.
std::string MessageBoxText(HWND box);

// A message box (dialog class "#32770") of a process with this title, once it is shown with
// its text: waits up to timeoutMs (0: looks once); nullptr when there is none.
HWND FindBox(DWORD pid, const char* title, DWORD timeoutMs = 15000);
struct BoxContent {
  std::string text;        // the longest static text
  bool iconShown = false;  // a visible icon control
};
BoxContent ReadBox(HWND box);

// The executable names of the processes alive now whose parent is pid (a process snapshot).
std::vector<std::string> ChildProcesses(DWORD pid);

// The local time now as a date-time (days since 30 December 1899), with milliseconds,
// computed here from GetLocalTime: an oracle independent of the code under test.
double OleLocalNow();
// A time of day as the bench's locale (en-US) writes it in its long format: "2:30:05 PM".
std::string EnUsLongTime(int hour, int minute, int second);
// Whether the shell holds the tray icon (window, id): it grants a modify only for those.
bool TrayIconPresent(HWND window, UINT id);

// Registry state of HKCU for a case; paths without a leading backslash.
namespace reg {
void SetDword(const std::string& key, const std::string& name, DWORD value);
void SetQword(const std::string& key, const std::string& name, unsigned long long value);
void SetString(const std::string& key, const std::string& name, const std::string& value,
               DWORD type = REG_SZ);
void SetBinary(const std::string& key, const std::string& name, const std::string& bytes);
void SetRaw(const std::string& key, const std::string& name, DWORD type, const void* data,
            DWORD size);
void DeleteValue(const std::string& key, const std::string& name);
void DeleteTree(const std::string& key);
bool KeyExists(const std::string& key);
bool ValueExists(const std::string& key, const std::string& name);
// Date-time as stored in "s_Time": an 8-byte double.
void SetDateTime(const std::string& key, const std::string& name, double dateTime);
}  // namespace reg

}  // namespace testsupport
