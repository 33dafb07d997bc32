#include "common/Siblings.h"

#include <shellapi.h>

#include "platform/FileSystem.h"

const SiblingRow MainAppRow = {"\\Vantorix.exe", "Vantorix", "VtxUninstall", 1026, SW_SHOWNORMAL};
const SiblingRow ScheduleRow = {"\\VtxSchedule.exe", "VtxSchedule", "VtxSchedule", 1027, SW_SHOWNA};
const SiblingRow GuardRow = {"\\VtxGuard.exe", "VtxGuard", "VtxGuard", 1028, SW_SHOWNORMAL};
const SiblingRow SmartScanRow = {"\\VtxSmartScan.exe", "VtxSmartScan", "VtxSmartScan", 1030,
                                 SW_SHOWNA};
const SiblingRow AuxRow = {nullptr, "StartAux", "VtxAux", 1147, SW_SHOWNORMAL};

const SiblingRow* const SiblingTable[5] = {&MainAppRow, &ScheduleRow, &GuardRow, &SmartScanRow,
                                           &AuxRow};

const char* const SwitchStart = "/START";
const char* const SwitchClean = "/CLEAN";
const char* const SwitchSchedule = "/SCHEDULE";

void StartMember(const std::string& appDir, const SiblingRow& row, const char* parameters) {
  if (row.executable == nullptr) return;
  const std::string path = appDir + row.executable;
  if (!platform::FileExists(path)) return;
  ShellExecuteA(nullptr, "open", path.c_str(), parameters, nullptr, row.showFlag);
}

HWND FindMember(const SiblingRow& row) { return FindWindowA(nullptr, row.title); }

bool StopMember(const SiblingRow& row) {
  const UINT message = RegisterWindowMessageA(row.messageName);
  HWND window = FindMember(row);
  if (window == nullptr) return false;
  PostMessageA(window, message, row.closeCode, 0);
  return true;
}
