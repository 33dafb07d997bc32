// The uninstall notice against servers that misbehave: a drip, a 2 GiB body, a 1 MiB header
// line, a malformed chunk size, a reset in the middle of the reply. Each case runs inside a
// network namespace of its own (tests/bench/netns-run) with the fixture server, and is
// compared with a 200 OK run of the same namespace: the time stays within the reply bound,
// the memory stays where the 200 OK leaves it, and the broadcast follows.
#include <windows.h>

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/support/TestSupport.h"
#include "tests/uninstaller/Namespace.h"
#include "uninstaller/Notice.h"

using nstest::Must;
using nstest::RunningStub;
using testsupport::InstallFolder;

namespace {

struct Outcome {
  DWORD exitCode = STILL_ACTIVE;
  unsigned long long startMs = 0, endMs = 0;
  SIZE_T peakWorkingSet = 0;  // the largest the process's working set has been
  nstest::Connection connection;
  std::vector<testsupport::StubEvent> broadcast;
};

// One uninstall with VtxSchedule running, its memory sampled until it ends.
Outcome Uninstall(size_t connectionsBefore) {
  char marker[8];
  if (GetEnvironmentVariableA("VTX_NETNS", marker, sizeof marker) == 0)
    throw std::runtime_error("not inside a test namespace: run through tests/bench/netns-run");
  InstallFolder folder;
  RunningStub schedule(folder, "VtxSchedule.exe");
  folder.Copy("VtxUninstaller.exe", "VtxUninstaller.exe");
  Outcome run;
  run.startMs = nstest::NowMs();
  testsupport::Process process(folder / "VtxUninstaller.exe");
  const ULONGLONG giveUp = GetTickCount64() + 60000;
  while (WaitForSingleObject(process.Handle(), 20) == WAIT_TIMEOUT && GetTickCount64() < giveUp) {
    // Wine tells the working set of another process (its peak too), not its private bytes.
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.Handle(), &counters, sizeof counters)) {
      run.peakWorkingSet = std::max(run.peakWorkingSet,
                                    std::max(counters.PeakWorkingSetSize, counters.WorkingSetSize));
    }
  }
  run.endMs = nstest::NowMs();
  run.exitCode = process.ExitCode();
  // The server may take a moment to see the close.
  nstest::ServerLog log;
  testsupport::WaitFor([&] {
    log = nstest::ReadServerLog();
    return log.connections.size() > connectionsBefore &&
           log.connections[connectionsBefore].close != "open";
  }, 3000, 50);
  EXPECT_EQ(connectionsBefore + 1, log.connections.size()) << "one connection per run";
  if (log.connections.size() > connectionsBefore) run.connection = log.connections[connectionsBefore];
  run.broadcast = schedule.Messages();
  return run;
}

class NoticeAbuse : public ::testing::TestWithParam<const char*> {};

TEST_P(NoticeAbuse, BoundedInTimeFlatInMemoryAndTheBroadcastFollows) {
  Must(std::string("resolve ") + NotificationHost);
  Must("behave ok-length");
  const Outcome ok = Uninstall(0);
  Must(std::string("behave ") + GetParam());
  const Outcome bad = Uninstall(1);
  std::printf("200 OK: %llu ms, peak working set %.2f MiB\n", ok.endMs - ok.startMs,
              ok.peakWorkingSet / 1048576.0);
  std::printf("%s: %llu ms, peak working set %.2f MiB, connection %llu ms, %s\n", GetParam(),
              bad.endMs - bad.startMs, bad.peakWorkingSet / 1048576.0,
              bad.connection.endMs - bad.connection.acceptMs, bad.connection.close.c_str());

  ASSERT_EQ(0u, ok.exitCode);
  ASSERT_EQ(0u, bad.exitCode) << "ended late, or not with 0";
  // The reply bound, counted from the request, with room for a loaded machine; the rest is
  // start-up and one 500 ms pause. A drip or a 2 GiB body that is not cut off lasts far longer.
  EXPECT_NE("open", bad.connection.close) << "the uninstaller ended with the connection open";
  EXPECT_LT(bad.connection.endMs, bad.connection.acceptMs + 2 * NoticeReplyTimeoutMs);
  EXPECT_LT(bad.endMs - bad.startMs, 3 * NoticeReplyTimeoutMs);
  // Flat: a reply kept whole (the 1 MiB header line, any part of 2 GiB) would show here.
  ASSERT_GT(ok.peakWorkingSet, 0u) << "no memory figures for the uninstaller";
  EXPECT_LT(bad.peakWorkingSet, ok.peakWorkingSet + 1048576);
  // The broadcast after the notice.
  ASSERT_EQ(1u, bad.broadcast.size()) << "the broadcast did not follow";
  EXPECT_EQ("1027", bad.broadcast[0].fields.at(0));
  EXPECT_GT(bad.broadcast[0].ms, bad.connection.acceptMs);
}

INSTANTIATE_TEST_SUITE_P(Servers, NoticeAbuse,
                         ::testing::Values("drip", "huge", "long-header", "bad-chunk", "reset"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name) if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
