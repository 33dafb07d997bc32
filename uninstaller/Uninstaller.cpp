// VtxUninstaller: run once while the product is removed. Removes the logon entry, sends the
// uninstall notice, then asks every running member of the family to close.
#include <windows.h>

#include "common/Settings.h"
#include "common/Siblings.h"
#include "platform/Registry.h"
#include "platform/SystemLibrary.h"
#include "uninstaller/Notice.h"

namespace {

// The members asked to close, in this order: the main application always last.
const SiblingRow* const BroadcastOrder[] = {&ScheduleRow, &GuardRow, &SmartScanRow, &AuxRow,
                                            &MainAppRow};

void RemoveRunEntry() {
  platform::Registry registry;  // KEY_ALL_ACCESS
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKey(RunKey, false)) return;
  if (registry.ValueExists(RunValue)) registry.DeleteValue(RunValue);
  registry.CloseKey();
}

void Broadcast() {
  for (const SiblingRow* row : BroadcastOrder) {
    if (StopMember(*row)) Sleep(500);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::RestrictDllSearchToSystem();
  RemoveRunEntry();
  SendUninstallNotice();
  Broadcast();
  return 0;
}
