#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/uninstaller/Namespace.h"

#include <sstream>
#include <stdexcept>

#include "common/Siblings.h"

using testsupport::InstallFolder;

namespace nstest {

std::string Command(const std::string& line) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(8079);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    closesocket(s);
    WSACleanup();
    throw std::runtime_error("no fixture server: run through tests/bench/netns-run");
  }
  const std::string request = line + "\n";
  send(s, request.data(), static_cast<int>(request.size()), 0);
  std::string reply;
  char buffer[65536];
  int got;
  while ((got = recv(s, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, got);
  closesocket(s);
  WSACleanup();
  return reply;
}

void Must(const std::string& line) {
  const std::string reply = Command(line);
  if (reply != "ok\n") throw std::runtime_error(line + ": " + reply);
}

ServerLog ReadServerLog() {
  const std::string text = Command("log");
  ServerLog log;
  size_t pos = 0;
  for (;;) {
    const size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) throw std::runtime_error("bad server log");
    std::istringstream line(text.substr(pos, eol - pos));
    pos = eol + 1;
    std::string word;
    line >> word;
    if (word == "end") return log;
    if (word == "dns") {
      line >> log.dnsQueries;
      std::string name;
      while (line >> name) log.dnsNames.push_back(name);
    } else if (word == "connection") {
      size_t length;
      Connection c;
      line >> length >> c.close >> c.acceptMs >> c.endMs;
      c.request = text.substr(pos, length);
      pos += length + 1;
      log.connections.push_back(c);
    } else {
      throw std::runtime_error("bad server log line: " + word);
    }
  }
}

unsigned long long NowMs() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  ULARGE_INTEGER t;
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  return t.QuadPart / 10000;
}

RunResult RunUninstaller(const InstallFolder& folder, DWORD timeoutMs) {
  // Never on the host's network: it would look up the real notification host.
  char marker[8];
  if (GetEnvironmentVariableA("VTX_NETNS", marker, sizeof marker) == 0)
    throw std::runtime_error("not inside a test namespace: run through tests/bench/netns-run");
  Command("log");  // throws when the namespace's fixture server is not there
  folder.Copy("VtxUninstaller.exe", "VtxUninstaller.exe");
  RunResult result;
  result.startMs = NowMs();
  testsupport::Process process(folder / "VtxUninstaller.exe");
  if (process.Wait(timeoutMs)) result.exitCode = process.ExitCode();
  result.endMs = NowMs();
  return result;
}

std::string RunningStub::Prepare(const InstallFolder& folder, const std::string& name,
                                 bool hidden) {
  folder.AddStub(name, hidden);
  return folder / name;
}

RunningStub::RunningStub(const InstallFolder& folder, const std::string& name, bool hidden)
    : folder_(folder),
      stem_(name.substr(0, name.find_last_of('.'))),
      process_(Prepare(folder, name, hidden)) {
  const bool up = testsupport::WaitFor([&] {
    for (const auto& event : testsupport::ReadStubLog(folder_, stem_))
      if (event.kind == "start") return true;
    return false;
  }, 15000);
  if (!up) throw std::runtime_error(name + " did not start");
  // The log line comes before the window: wait for a window of this process.
  const SiblingRow* row = nullptr;
  for (const SiblingRow* r : SiblingTable)
    if (lstrcmpiA((r->executable ? std::string(r->executable + 1) : "VtxAux.exe").c_str(),
                  name.c_str()) == 0)
      row = r;
  if (row == nullptr) throw std::runtime_error(name + " is no member");
  const bool shown = testsupport::WaitFor([&] {
    for (HWND w : testsupport::WindowsTitled(row->title))
      if (testsupport::WindowProcessId(w) == process_.Id()) return true;
    return false;
  }, 15000);
  if (!shown) throw std::runtime_error(name + " has no window");
}

std::vector<testsupport::StubEvent> RunningStub::Messages() const {
  std::vector<testsupport::StubEvent> messages;
  for (const auto& event : testsupport::ReadStubLog(folder_, stem_))
    if (event.kind == "msg") messages.push_back(event);
  return messages;
}

}  // namespace nstest
