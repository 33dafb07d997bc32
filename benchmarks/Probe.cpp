// The Windows side of the benchmark: starts programs and watches them from outside, so the
// programs measured are the shipped ones, unchanged.
//   vtxbenchprobe exit ROUNDS EXE...
//       each round starts every EXE in turn and waits for it to end:
//       "exit ROUND INDEX MS CODE"
//   vtxbenchprobe guard ROUNDS GUARD_EXE WINDOW_EXE
//       each round starts the minimal window program, the same with its one-second timer
//       (the control of the idle figures), then the monitor:
//       "window ROUND MS_TO_WINDOW", "guard ROUND MS_TO_TRAY_ICON MS_TO_POPUP",
//       "ready ROUND GUARD_PID WINDOW_PID TIMER_PID" (then waits for a line on stdin while the
//       caller watches them idle), "memory ROUND NAME PRIVATE_BYTES WORKING_SET",
//       "closed ROUND GUARD_CODE WINDOW_CODE TIMER_CODE"
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kWindowName = "BenchWindow";
const char* const kTimerWindowName = "BenchWindow timer";
const char* const kGuardTitle = "VtxGuard";
const UINT kGuardIconId = 1;     // the tray icon's id on the tray host's window
const WPARAM kGuardClose = 1028;
const DWORD kWaitMs = 20000;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Started {
  PROCESS_INFORMATION info = {};
  double at = 0;  // just before CreateProcess
  bool ok = false;
};

Started Start(const std::string& exe, const std::string& arguments = "") {
  Started started;
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::string folder = exe.substr(0, exe.find_last_of('\\'));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  started.at = Now();
  started.ok = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &started.info) != FALSE;
  if (!started.ok) std::printf("error cannot start %s (%lu)\n", exe.c_str(), GetLastError());
  return started;
}

void Release(Started& started) {
  if (!started.ok) return;
  CloseHandle(started.info.hThread);
  CloseHandle(started.info.hProcess);
  started.ok = false;
}

// Ends a program that did not end by itself, so no round leaves anything behind.
DWORD WaitEnd(Started& started, const char* name, int round) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(started.info.hProcess, kWaitMs) != WAIT_OBJECT_0) {
    std::printf("error %s did not end in round %d; terminated\n", name, round);
    TerminateProcess(started.info.hProcess, 99);
    WaitForSingleObject(started.info.hProcess, kWaitMs);
  }
  GetExitCodeProcess(started.info.hProcess, &code);
  return code;
}

int ExitRounds(int rounds, int count, char** exes) {
  for (int round = 0; round < rounds; ++round) {
    for (int i = 0; i < count; ++i) {
      Started started = Start(exes[i]);
      if (!started.ok) return 1;
      DWORD code = WaitEnd(started, exes[i], round);
      const double ms = Now() - started.at;
      std::printf("exit %d %d %.3f %lu\n", round, i, ms, code);
      std::fflush(stdout);
      Release(started);
    }
  }
  return 0;
}

// The shell answers NIM_MODIFY with success only for an icon it holds; no flag is set, so
// nothing of the icon changes.
bool TrayIconAdded(HWND host) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = host;
  data.uID = kGuardIconId;
  data.uFlags = 0;
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void PrintMemory(int round, const char* name, HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters)) {
    std::printf("memory %d %s %llu %llu\n", round, name,
                static_cast<unsigned long long>(counters.PrivateUsage),
                static_cast<unsigned long long>(counters.WorkingSetSize));
  } else {
    std::printf("error GetProcessMemoryInfo %s (%lu)\n", name, GetLastError());
  }
}

// The window of a program just started, and how long it took to appear (-1: never).
HWND WaitWindow(const Started& started, const char* title, double& ms) {
  ms = -1;
  while (Now() - started.at < kWaitMs) {
    HWND window = FindWindowA(kWindowName, title);
    if (window != nullptr) {
      ms = Now() - started.at;
      return window;
    }
    Sleep(1);
  }
  return nullptr;
}

bool WaitLine() {
  char buffer[64];
  DWORD read = 0;
  return ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) &&
         read > 0;
}

int GuardRounds(int rounds, const std::string& guardExe, const std::string& windowExe) {
  const UINT closeMessage = RegisterWindowMessageA(kGuardTitle);
  for (int round = 0; round < rounds; ++round) {
    Started window = Start(windowExe);
    if (!window.ok) return 1;
    double windowMs;
    HWND windowHandle = WaitWindow(window, kWindowName, windowMs);
    std::printf("window %d %.3f\n", round, windowMs);
    Started timer = Start(windowExe, "timer");
    if (!timer.ok) return 1;
    double timerMs;
    HWND timerHandle = WaitWindow(timer, kTimerWindowName, timerMs);

    Started guard = Start(guardExe);
    if (!guard.ok) return 1;
    double trayMs = -1;
    double popupMs = -1;
    while (Now() - guard.at < kWaitMs && (trayMs < 0 || popupMs < 0)) {
      if (trayMs < 0) {
        HWND host = FindWindowA("TForm1", kGuardTitle);
        if (host != nullptr && TrayIconAdded(host)) trayMs = Now() - guard.at;
      }
      if (popupMs < 0) {
        HWND popup = FindWindowA("TForm2", kGuardTitle);
        if (popup != nullptr && IsWindowVisible(popup)) popupMs = Now() - guard.at;
      }
      if (trayMs < 0 || popupMs < 0) Sleep(1);
    }
    std::printf("guard %d %.3f %.3f\n", round, trayMs, popupMs);
    Sleep(500);  // let the popup paint before the quiet time begins
    std::printf("ready %d %lu %lu %lu\n", round, guard.info.dwProcessId, window.info.dwProcessId,
                timer.info.dwProcessId);
    std::fflush(stdout);
    if (!WaitLine()) std::printf("error no answer on stdin\n");

    PrintMemory(round, "guard", guard.info.hProcess);
    PrintMemory(round, "window", window.info.hProcess);

    HWND host = FindWindowA("TForm1", kGuardTitle);
    if (host != nullptr) PostMessageA(host, closeMessage, kGuardClose, 0);
    if (windowHandle != nullptr) PostMessageA(windowHandle, WM_CLOSE, 0, 0);
    if (timerHandle != nullptr) PostMessageA(timerHandle, WM_CLOSE, 0, 0);
    DWORD guardCode = WaitEnd(guard, "guard", round);
    DWORD windowCode = WaitEnd(window, "window", round);
    DWORD timerCode = WaitEnd(timer, "timer", round);
    std::printf("closed %d %lu %lu %lu\n", round, guardCode, windowCode, timerCode);
    std::fflush(stdout);
    Release(guard);
    Release(window);
    Release(timer);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "exit")
    return ExitRounds(std::atoi(argv[2]), argc - 3, argv + 3);
  if (argc == 5 && std::string(argv[1]) == "guard")
    return GuardRounds(std::atoi(argv[2]), argv[3], argv[4]);
  std::fprintf(stderr,
               "usage: vtxbenchprobe exit ROUNDS EXE... | guard ROUNDS GUARD_EXE WINDOW_EXE\n");
  return 2;
}
