#pragma once
// What the uninstaller's tests share. They run inside a network namespace of their own
// (tests/bench/netns-run), where the fixture server of tests/fixtures takes commands.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace nstest {

// One command to the fixture server; its whole reply. Throws when the server is not there.
std::string Command(const std::string& line);
// Command() that must answer "ok".
void Must(const std::string& line);

struct Connection {
  std::string request;  // every byte the client sent on it
  std::string close;    // "fin", "reset", "server" (the server hung up), "open"
  unsigned long long acceptMs = 0, endMs = 0;
};
struct ServerLog {
  std::vector<Connection> connections;
  int dnsQueries = 0;
  std::vector<std::string> dnsNames;  // the names asked, in order
};
ServerLog ReadServerLog();

// System time in ms since 1601, as the stub family member logs it.
unsigned long long NowMs();

struct RunResult {
  DWORD exitCode = STILL_ACTIVE;
  unsigned long long startMs = 0, endMs = 0;
};
// Copies VtxUninstaller into the folder and runs it from there to its end.
RunResult RunUninstaller(const testsupport::InstallFolder& folder, DWORD timeoutMs = 60000);

// The stub as a running member, its window up; ended with the object.
class RunningStub {
 public:
  RunningStub(const testsupport::InstallFolder& folder, const std::string& name,
              bool hidden = false);
  testsupport::Process& process() { return process_; }
  // Its log's "msg" events: fields wParam, lParam.
  std::vector<testsupport::StubEvent> Messages() const;

 private:
  static std::string Prepare(const testsupport::InstallFolder& folder, const std::string& name,
                             bool hidden);
  const testsupport::InstallFolder& folder_;
  std::string stem_;
  testsupport::Process process_;
};

}  // namespace nstest
