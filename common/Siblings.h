#pragma once
#include <windows.h>

#include <string>

// One member of the program family: where it lies, how it is found and how it is asked to
// close. The executable (leading backslash included) is appended directly to AppDir.
struct SiblingRow {
  const char* executable;   // nullptr: never started by path
  const char* title;        // its top-level window's title
  const char* messageName;  // registered window message that asks it to close
  WPARAM closeCode;         // wParam of that message; lParam is always 0
  int showFlag;             // ShellExecuteA show command
};

extern const SiblingRow MainAppRow;    // Vantorix.exe; takes "/START", "/CLEAN", "/SCHEDULE"
extern const SiblingRow ScheduleRow;   // VtxSchedule.exe
extern const SiblingRow GuardRow;      // VtxGuard.exe
extern const SiblingRow SmartScanRow;  // VtxSmartScan.exe
extern const SiblingRow AuxRow;        // window "StartAux"

// The whole table, in the order above.
extern const SiblingRow* const SiblingTable[5];

extern const char* const SwitchStart;     // "/START"
extern const char* const SwitchClean;     // "/CLEAN"
extern const char* const SwitchSchedule;  // "/SCHEDULE"

// Starts AppDir + executable by ShellExecuteA when a file (not a folder) lies there; nothing
// when not. The result is not looked at and nothing is waited for.
void StartMember(const std::string& appDir, const SiblingRow& row,
                 const char* parameters = nullptr);

// The member's top-level window, found by title alone; nullptr when it does not run.
HWND FindMember(const SiblingRow& row);

// Registers the row's message (always), finds the member and posts it the close code.
// Returns whether its window was found.
bool StopMember(const SiblingRow& row);
