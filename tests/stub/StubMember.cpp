// Plays one member of the family, chosen by its own file name: Vantorix.exe, VtxSchedule.exe,
// VtxSmartScan.exe, VtxGuard.exe or VtxAux.exe (window "StartAux").
//
// Beside itself it appends to <name>.log, one line per event, fields separated by '|':
//   start|<parameters>|<show flag or -1>|<ms>     how it was started
//   msg|<wParam>|<lParam>|<ms>                    its registered message arrived
//   end|<ms>                                      it ended on its own close code
// <ms> is the system time in milliseconds since 1601, comparable across processes.
// A file <name>.hidden beside it keeps its window hidden (a hidden window still counts).
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/AppDir.h"
#include "common/Siblings.h"
#include "platform/FileSystem.h"

namespace {

const SiblingRow* g_row = nullptr;
UINT g_message = 0;
std::string g_logPath;
std::string g_caption;  // what its window shows: who it plays and how it was started

unsigned long long NowMs() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  ULARGE_INTEGER t;
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  return t.QuadPart / 10000;
}

void Log(const std::string& line) {
  // Opened and closed per line, so a test reading the file sees each event whole.
  if (FILE* f = std::fopen(g_logPath.c_str(), "ab")) {
    std::fprintf(f, "%s|%llu\n", line.c_str(), NowMs());
    std::fclose(f);
  }
}

std::string Parameters() {
  const char* p = GetCommandLineA();
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

const SiblingRow* RowFor(const std::string& fileName) {
  for (const SiblingRow* row : SiblingTable) {
    std::string exe = row->executable ? row->executable + 1 : "VtxAux.exe";
    if (lstrcmpiA(exe.c_str(), fileName.c_str()) == 0) return row;
  }
  return nullptr;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == g_message && g_message != 0) {
    Log("msg|" + std::to_string(wParam) + "|" + std::to_string(lParam));
    if (wParam == g_row->closeCode) DestroyWindow(window);
    return 0;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    InflateRect(&client, -8, -8);
    DrawTextA(dc, g_caption.c_str(), -1, &client, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_DESTROY) {
    Log("end");
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string module = platform::ModuleFileName();
  const std::string fileName = module.substr(module.find_last_of('\\') + 1);
  const std::string stem = fileName.substr(0, fileName.find_last_of('.'));
  const std::string dir = ModuleAppDir();
  g_row = RowFor(fileName);
  if (g_row == nullptr) return 3;
  g_logPath = dir + "\\" + stem + ".log";

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
  Log("start|" + Parameters() + "|" + std::to_string(show));
  g_caption = std::string(g_row->title) + " (stand-in)\nstarted with \"" + Parameters() +
              "\", show flag " + std::to_string(show);

  g_message = RegisterWindowMessageA(g_row->messageName);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "VtxStubMember";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, g_row->title, WS_OVERLAPPEDWINDOW, 40, 40,
                                320, 100, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 4;
  if (!platform::FileExists(dir + "\\" + stem + ".hidden")) ShowWindow(window, SW_SHOWNA);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
