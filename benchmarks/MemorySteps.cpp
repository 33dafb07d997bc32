// Where the monitor's private bytes go: its own start-up steps, in-process, each followed by
// a pause in which the caller reads this process's memory from outside.
//   vtxbenchmemory
//       "step NAME" after each step, then waits for a line on stdin
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "guard/Unit1.h"
#include "guard/Unit2.h"
#include "platform/Application.h"

namespace {

void Step(const char* name) {
  std::printf("step %s\n", name);
  std::fflush(stdout);
  char line[16];
  if (std::fgets(line, sizeof line, stdin) == nullptr) std::exit(1);
}

void Pump(DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  while (GetTickCount() < until) {
    platform::App().ProcessMessages();
    Sleep(10);
  }
}

}  // namespace

int main() {
  Step("started");
  platform::Application& app = platform::App();
  try {
    app.Initialize();
    app.SetTitle("Performance Monitor");
    Step("application-window");
    app.CreateForm(Form1);
    Form1->Timer1->SetEnabled(false);
    Pump(200);
    Step("tray-host-and-icon");
    app.CreateForm(Form2);
    Step("popup-created");
    Form2->Show();
    UpdateWindow(Form2->Handle());
    Pump(500);
    Step("popup-shown");
    app.DestroyForms();
  } catch (const std::exception& error) {
    std::printf("error %s\n", error.what());
    return 1;
  }
  return 0;
}
