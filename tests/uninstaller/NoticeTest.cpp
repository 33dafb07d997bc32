// The uninstall notice, seen from the fixture server inside the test's own namespace: the
// request bytes, each kind of reply, and the ways the network can fail. Whatever happens, the
// broadcast follows and the exit code is 0.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/TestSupport.h"
#include "tests/uninstaller/Namespace.h"
#include "uninstaller/Notice.h"

using nstest::Must;
using nstest::RunningStub;
using testsupport::InstallFolder;

namespace {

std::string ExpectedRequest() {
  return std::string(
             "GET /rpc/sendqlnuninstall?partner=KQTW_MRLN_EN_RW_VANTORIX&build=3.2 HTTP/1.1\r\n"
             "Content-Type: text/html\r\n"
             "Host: ") +
         NotificationHost +
         "\r\n"
         "Accept: text/html, */*\r\n"
         "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
         "\r\n";
}

// One uninstall with VtxSchedule running, so the broadcast can be seen.
struct Outcome {
  nstest::RunResult run;
  nstest::ServerLog log;
  std::vector<testsupport::StubEvent> broadcast;
};

Outcome Uninstall() {
  InstallFolder folder;
  RunningStub schedule(folder, "VtxSchedule.exe");
  Outcome outcome;
  outcome.run = nstest::RunUninstaller(folder);
  outcome.log = nstest::ReadServerLog();
  outcome.broadcast = schedule.Messages();
  return outcome;
}

void ExpectBroadcastAfterNotice(const Outcome& o) {
  EXPECT_EQ(0u, o.run.exitCode);
  ASSERT_EQ(1u, o.broadcast.size()) << "the broadcast did not follow";
  EXPECT_EQ("1027", o.broadcast[0].fields.at(0));
  for (const auto& c : o.log.connections) {
    EXPECT_GT(o.broadcast[0].ms, c.acceptMs);
    EXPECT_NE("open", c.close) << "the uninstaller ended with the connection open";
  }
}

struct ReplyCase {
  const char* behaviour;
  const char* close;  // how the connection must end; nullptr: either way
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.behaviour; }

class NoticeReply : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(NoticeReply, OneExactRequestThenTheBroadcast) {
  Must(std::string("resolve ") + NotificationHost);
  Must(std::string("behave ") + GetParam().behaviour);
  const Outcome o = Uninstall();
  ASSERT_EQ(1u, o.log.connections.size()) << "one connection, redirects not followed";
  const nstest::Connection& c = o.log.connections[0];
  EXPECT_EQ(ExpectedRequest(), c.request) << "exactly one request, byte for byte";
  if (GetParam().close) {
    EXPECT_EQ(GetParam().close, c.close);
  }
  EXPECT_EQ(0, o.log.dnsQueries) << "the name comes from the hosts file";
  ExpectBroadcastAfterNotice(o);
}

// "fin": the client read everything it was sent, then closed the connection itself.
INSTANTIATE_TEST_SUITE_P(Replies, NoticeReply,
                         ::testing::Values(ReplyCase{"ok-length", "fin"},
                                           ReplyCase{"ok-chunked", "fin"},
                                           ReplyCase{"ok-close", "fin"},
                                           ReplyCase{"404", nullptr}, ReplyCase{"500", nullptr},
                                           ReplyCase{"302", nullptr},
                                           ReplyCase{"hang-up", "server"}),
                         [](const auto& info) {
                           std::string name = info.param.behaviour;
                           for (char& ch : name) if (ch == '-') ch = '_';
                           return "Reply_" + name;
                         });

TEST(Notice, ServerThatNeverAnswersIsLeftAfterTheBound) {
  Must(std::string("resolve ") + NotificationHost);
  Must("behave silent");
  const Outcome o = Uninstall();
  ASSERT_EQ(1u, o.log.connections.size());
  const nstest::Connection& c = o.log.connections[0];
  EXPECT_EQ(ExpectedRequest(), c.request);
  EXPECT_EQ("fin", c.close) << "the client gives up and closes";
  EXPECT_GE(c.endMs, c.acceptMs + NoticeReplyTimeoutMs - 100);
  // The deadline, with room for a loaded machine; a client that never gives up is far beyond.
  EXPECT_LT(c.endMs, c.acceptMs + 2 * NoticeReplyTimeoutMs);
  ExpectBroadcastAfterNotice(o);
  if (!o.broadcast.empty()) {
    EXPECT_GE(o.broadcast[0].ms + 100, c.endMs);
  }
}

TEST(Notice, OfflineMeansNoLookupAndNoSocket) {
  Must("route off");  // Wine now reads offline
  // The name is in no hosts file: a lookup would have to ask the DNS recorder.
  const Outcome o = Uninstall();
  EXPECT_EQ(0, o.log.dnsQueries) << ::testing::PrintToString(o.log.dnsNames);
  EXPECT_TRUE(o.log.connections.empty());
  ExpectBroadcastAfterNotice(o);
}

TEST(Notice, UnresolvableNameSendsNothing) {
  const Outcome o = Uninstall();  // online, the name unknown to hosts and DNS
  EXPECT_NE(o.log.dnsNames.end(),
            std::find(o.log.dnsNames.begin(), o.log.dnsNames.end(), NotificationHost))
      << "the name was looked up, and only here";
  EXPECT_TRUE(o.log.connections.empty());
  ExpectBroadcastAfterNotice(o);
}

TEST(Notice, RefusedConnectionSendsNothing) {
  Must(std::string("resolve ") + NotificationHost);
  Must("behave refuse");
  const Outcome o = Uninstall();
  EXPECT_TRUE(o.log.connections.empty());
  ExpectBroadcastAfterNotice(o);
}

}  // namespace
