// VtxGuard, the Performance Monitor: one instance per logon session, resident in the tray.
#include <windows.h>

#include <exception>

#include "guard/Unit1.h"
#include "guard/Unit2.h"
#include "platform/Application.h"

namespace {
const char* const kMutexName = "VtxGuard";
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName) != nullptr) return 0;
  // Held until the process ends.
  CreateMutexA(nullptr, FALSE, kMutexName);
  // Two monitors started at the same moment both pass the test above; the later one learns
  // here that the mutex existed already.
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  platform::Application& app = platform::App();
  try {
    app.Initialize();
    app.SetTitle("Performance Monitor");
    app.CreateForm(Form1);
    app.CreateForm(Form2);
    app.Run();
    app.DestroyForms();
  } catch (const std::exception& error) {
    // Only the framework's own construction can fail here; handlers report in the loop.
    app.ShowException(error);
    return 1;
  }
  return 0;
}
