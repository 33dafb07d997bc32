// The baseline of the monitor: one plain top-level window, shown, and a message loop that
// ends when the window is closed. With the argument "timer" it also runs a one-second window
// timer and is titled "BenchWindow timer": the control that shows the idle measurement does
// see timer wake-ups.
#include <windows.h>

namespace {

const char* const kName = "BenchWindow";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const bool timer = lstrcmpA(commandLine, "timer") == 0;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kName;
  if (!RegisterClassExA(&wc)) return 1;
  HWND window = CreateWindowExA(0, kName, timer ? "BenchWindow timer" : kName,
                                WS_OVERLAPPEDWINDOW, 100, 100, 360, 270, nullptr, nullptr,
                                instance, nullptr);
  if (window == nullptr) return 1;
  if (timer) SetTimer(window, 1, 1000, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
