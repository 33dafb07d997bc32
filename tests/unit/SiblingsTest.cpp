// Start, find and stop against the stub family member.
#include <gtest/gtest.h>

#include "common/Siblings.h"
#include "tests/support/TestSupport.h"

using testsupport::InstallFolder;
using testsupport::ReadStubLog;
using testsupport::WaitFor;
using testsupport::WindowsTitled;

namespace {

bool Runs(const SiblingRow& row) { return FindMember(row) != nullptr; }

// Waits until the stub logged its start and owns its window.
bool WaitStarted(const InstallFolder& folder, const std::string& stem, const SiblingRow& row) {
  return WaitFor([&] { return !ReadStubLog(folder, stem).empty() && Runs(row); }, 10000);
}

void StopAndWait(const SiblingRow& row) {
  StopMember(row);
  WaitFor([&] { return !Runs(row); }, 5000);
}

TEST(Siblings, TableValues) {
  struct { const SiblingRow* row; const char* exe; const char* title; const char* msg; WPARAM code; int show; } rows[] = {
      {&MainAppRow, "\\Vantorix.exe", "Vantorix", "VtxUninstall", 1026, SW_SHOWNORMAL},
      {&ScheduleRow, "\\VtxSchedule.exe", "VtxSchedule", "VtxSchedule", 1027, SW_SHOWNA},
      {&GuardRow, "\\VtxGuard.exe", "VtxGuard", "VtxGuard", 1028, SW_SHOWNORMAL},
      {&SmartScanRow, "\\VtxSmartScan.exe", "VtxSmartScan", "VtxSmartScan", 1030, SW_SHOWNA},
      {&AuxRow, nullptr, "StartAux", "VtxAux", 1147, SW_SHOWNORMAL},
  };
  for (const auto& r : rows) {
    if (r.exe) EXPECT_STREQ(r.exe, r.row->executable); else EXPECT_EQ(nullptr, r.row->executable);
    EXPECT_STREQ(r.title, r.row->title);
    EXPECT_STREQ(r.msg, r.row->messageName);
    EXPECT_EQ(r.code, r.row->closeCode);
    EXPECT_EQ(r.show, r.row->showFlag);
  }
}

TEST(Siblings, StartPassesPathParametersAndShowFlag) {
  InstallFolder folder;
  folder.AddStub("Vantorix.exe");
  folder.AddStub("VtxSchedule.exe");
  StartMember(folder.Path(), MainAppRow, SwitchClean);
  StartMember(folder.Path(), ScheduleRow);
  ASSERT_TRUE(WaitStarted(folder, "Vantorix", MainAppRow));
  ASSERT_TRUE(WaitStarted(folder, "VtxSchedule", ScheduleRow));
  auto main = ReadStubLog(folder, "Vantorix");
  ASSERT_EQ("start", main[0].kind);
  EXPECT_EQ("/CLEAN", main[0].fields.at(0));
  EXPECT_EQ("1", main[0].fields.at(1));
  auto schedule = ReadStubLog(folder, "VtxSchedule");
  EXPECT_EQ("", schedule[0].fields.at(0));
  EXPECT_EQ("8", schedule[0].fields.at(1));
  StopAndWait(MainAppRow);
  StopAndWait(ScheduleRow);
}

TEST(Siblings, MissingExecutableOrFolderStartsNothing) {
  InstallFolder folder;
  folder.MakeFolder("VtxSchedule.exe");
  StartMember(folder.Path(), MainAppRow, SwitchStart);
  StartMember(folder.Path(), ScheduleRow);
  StartMember(folder.Path(), AuxRow);  // never started by path
  // A start is a child process of ours from the moment StartMember returns.
  EXPECT_TRUE(testsupport::ChildProcesses(GetCurrentProcessId()).empty());
  EXPECT_FALSE(Runs(MainAppRow));
  EXPECT_FALSE(Runs(ScheduleRow));
  EXPECT_FALSE(Runs(AuxRow));
}

TEST(Siblings, HiddenWindowCountsAndStopPostsItsCode) {
  InstallFolder folder;
  folder.AddStub("VtxSmartScan.exe", /*hidden=*/true);
  EXPECT_FALSE(StopMember(SmartScanRow));  // not running: not found
  StartMember(folder.Path(), SmartScanRow);
  ASSERT_TRUE(WaitStarted(folder, "VtxSmartScan", SmartScanRow));
  EXPECT_FALSE(IsWindowVisible(FindMember(SmartScanRow)));
  EXPECT_TRUE(StopMember(SmartScanRow));
  ASSERT_TRUE(WaitFor([&] { return !Runs(SmartScanRow); }, 5000));
  auto log = ReadStubLog(folder, "VtxSmartScan");
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ("msg", log[1].kind);
  EXPECT_EQ("1030", log[1].fields.at(0));
  EXPECT_EQ("0", log[1].fields.at(1));
}

TEST(Siblings, StopRegistersTheNameEvenWhenNothingRuns) {
  ASSERT_FALSE(Runs(AuxRow));
  EXPECT_FALSE(StopMember(AuxRow));
  // The name is registered now: registering it again gives the same identifier.
  UINT id = RegisterWindowMessageA("VtxAux");
  EXPECT_GE(id, 0xC000u);
}

TEST(Siblings, StubIgnoresOtherCodes) {
  InstallFolder folder;
  folder.AddStub("VtxAux.exe", true);
  testsupport::Process aux(folder / "VtxAux.exe");
  ASSERT_TRUE(WaitStarted(folder, "VtxAux", AuxRow));
  PostMessageA(FindMember(AuxRow), RegisterWindowMessageA("VtxAux"), 1026, 0);
  // Logged once handled; it goes on running.
  ASSERT_TRUE(WaitFor([&] { return ReadStubLog(folder, "VtxAux").size() >= 2; }, 15000));
  EXPECT_EQ((std::vector<std::string>{"1026", "0"}), ReadStubLog(folder, "VtxAux")[1].fields);
  EXPECT_EQ(STILL_ACTIVE, aux.ExitCode());
  EXPECT_TRUE(Runs(AuxRow));
  EXPECT_TRUE(StopMember(AuxRow));
  EXPECT_TRUE(aux.Wait(30000));
}

}  // namespace
