// VtxLauncher: run at logon. Starts the main application with "/START" and each enabled
// helper that does not run yet, then exits. No window, no waiting, no pauses.
#include <windows.h>

#include <exception>
#include <string>

#include "common/AppDir.h"
#include "common/Settings.h"
#include "common/Siblings.h"
#include "launcher/ErrorReport.h"

std::string AppDir;

namespace {

bool SettingOn(const char* name) { return RegReadBool(HKEY_CURRENT_USER, SettingsKey, name); }

// A helper is started only when its window is not found.
void StartHelper(const char* setting, const SiblingRow& row) {
  if (SettingOn(setting) && FindMember(row) == nullptr) StartMember(AppDir, row);
}

void LaunchEnabled() {
  AppDir = ModuleAppDir();
  // No running test: the main application is started even while it runs.
  if (SettingOn("ScanAtStartup")) StartMember(AppDir, MainAppRow, SwitchStart);
  StartHelper("s_Enable", ScheduleRow);
  StartHelper("s_SmartScan", SmartScanRow);
  StartHelper("VedadEzodi", GuardRow);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A setting of the wrong type is not handled here: it ends the launch with the error report.
  try {
    LaunchEnabled();
  } catch (const std::exception& error) {
    ShowUncaughtError(error);
    return 1;
  } catch (...) {
    ShowUncaughtError();
    return 1;
  }
  return 0;
}
