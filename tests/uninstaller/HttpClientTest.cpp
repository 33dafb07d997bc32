// The HTTP client against a one-connection server of the test's own on 127.0.0.1.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "platform/HttpClient.h"

using platform::HttpClient;
using platform::HttpError;

namespace {

void SendText(SOCKET s, const std::string& text) {
  for (size_t sent = 0; sent < text.size();) {
    const int n = send(s, text.data() + sent, static_cast<int>(text.size() - sent), 0);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

// Accepts one connection, reads the request head, then plays its part and closes.
class OneShotServer {
 public:
  explicit OneShotServer(std::function<void(SOCKET)> play) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int size = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    listen(listener_, 1);
    thread_ = std::thread([this, play] {
      SOCKET s = accept(listener_, nullptr, nullptr);
      if (s == INVALID_SOCKET) return;
      char buffer[4096];
      while (request_.find("\r\n\r\n") == std::string::npos) {
        const int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request_.append(buffer, n);
      }
      play(s);
      closesocket(s);
    });
  }
  ~OneShotServer() {
    closesocket(listener_);  // ends an accept that never came
    thread_.join();
    WSACleanup();
  }
  unsigned short Port() const { return port_; }
  std::string Url(const std::string& path = "/x") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  const std::string& Request() const { return request_; }  // after the client is done

 private:
  SOCKET listener_;
  unsigned short port_ = 0;
  std::thread thread_;
  std::string request_;
};

// Keeps the body and the largest piece it came in.
struct Collect : platform::Stream {
  std::string body;
  size_t pieces = 0, largest = 0;
  bool keep = true;
  unsigned long long total = 0;
  void Write(const char* data, size_t size) override {
    ++pieces;
    largest = std::max(largest, size);
    total += size;
    if (keep) body.append(data, size);
  }
};

void Reply(SOCKET s, const std::string& text) { SendText(s, text); }

// Holds a server's connection open until the test has seen what it needs (or 30 s pass).
// Released declared after the server, it lets the server go before the server is joined,
// also when a check fails on the way.
class Hold {
 public:
  Hold() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Hold() {
    SetEvent(event_);
    CloseHandle(event_);
  }
  void Wait() const { WaitForSingleObject(event_, 30000); }
  void Release() const { SetEvent(event_); }
  struct Released {
    const Hold& hold;
    ~Released() { hold.Release(); }
  };

 private:
  HANDLE event_;
};

TEST(HttpClient, RequestBytesAndContentLengthBody) {
  Hold hold;
  OneShotServer server([&](SOCKET s) {
    Reply(s, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    hold.Wait();  // the connection stays open: the client must not wait for the close
  });
  Hold::Released released{hold};
  HttpClient http;
  http.SetHost("127.0.0.1");
  http.SetPort(server.Port());
  http.Connect();
  Collect body;
  http.Get(server.Url("/rpc/a?b=c&d=3.2"), body);
  EXPECT_EQ("hello", body.body);
  EXPECT_TRUE(http.Connected()) << "a complete reply leaves the connection open";
  hold.Release();
  http.Disconnect();
  EXPECT_FALSE(http.Connected());
  EXPECT_EQ("GET /rpc/a?b=c&d=3.2 HTTP/1.1\r\n"
            "Content-Type: text/html\r\n"
            "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"
            "Accept: text/html, */*\r\n"
            "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
            "\r\n",
            server.Request());
}

TEST(HttpClient, BodiesOfEveryFraming) {
  const struct {
    const char* name;
    std::string reply;
    std::string body;
    bool stillConnected;
  } cases[] = {
      {"chunked, extension and trailer",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "5;x=y\r\nhello\r\n1\r\n \r\nA\r\n0123456789\r\n0\r\nTrailer: t\r\n\r\n",
       "hello 0123456789", true},
      {"until close", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\nto the end", "to the end",
       false},
      {"Connection: close", "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok",
       "ok", false},
      {"204", "HTTP/1.1 204 No Content\r\n\r\n", "", true},
      {"header names in any case, bare LF",
       "HTTP/1.0 201 Created\ncontent-length: 3\n\nabc", "abc", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Hold hold;
    OneShotServer server([&](SOCKET s) {
      Reply(s, c.reply);
      if (c.stillConnected) hold.Wait();
    });
    Hold::Released released{hold};
    HttpClient http;
    Collect body;
    ASSERT_NO_THROW(http.Get(server.Url(), body));  // connects by itself
    EXPECT_EQ(c.body, body.body);
    EXPECT_EQ(c.stillConnected, http.Connected());
  }
}

TEST(HttpClient, FailuresRaiseAndClose) {
  const struct {
    const char* name;
    std::string reply;
  } cases[] = {
      {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!"},
      {"500", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"},
      {"302 is not followed", "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/\r\n\r\n"},
      {"100 alone", "HTTP/1.1 100 Continue\r\n\r\n"},
      {"no reply at all", ""},
      {"not HTTP", "SSH-2.0-OpenSSH\r\n\r\n"},
      {"bad status", "HTTP/1.1 2x0 OK\r\n\r\n"},
      {"header without colon", "HTTP/1.1 200 OK\r\nbroken\r\n\r\n"},
      {"body shorter than its length", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nshort"},
      {"bad length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n"},
      {"conflicting lengths",
       "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab"},
      {"bad chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"},
      {"chunked cut short", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OneShotServer server([&](SOCKET s) { Reply(s, c.reply); });
    HttpClient http;
    Collect body;
    EXPECT_THROW(http.Get(server.Url(), body), HttpError);
    EXPECT_FALSE(http.Connected());
    EXPECT_EQ(1, [&] {  // one request, nothing more
      int n = 0;
      for (size_t p = 0; (p = server.Request().find("GET ", p)) != std::string::npos; ++p) ++n;
      return n;
    }());
  }
}

TEST(HttpClient, EndlessHeadIsRefusedNotHeld) {
  std::atomic<bool> stop{false};
  OneShotServer server([&](SOCKET s) {
    SendText(s, "HTTP/1.1 200 OK\r\nX-Long: ");
    const std::string filler(4096, 'a');
    while (!stop) SendText(s, filler);
  });
  HttpClient http;
  Collect body;
  EXPECT_THROW(http.Get(server.Url(), body), HttpError);
  stop = true;
}

TEST(HttpClient, BodyIsHandedOnInPiecesNeverHeldWhole) {
  const unsigned long long size = 48ull << 20;
  OneShotServer server([&](SOCKET s) {
    SendText(s, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n");
    const std::string block(1 << 20, 'z');
    for (unsigned long long sent = 0; sent < size; sent += block.size()) SendText(s, block);
  });
  HttpClient http;
  Collect body;
  body.keep = false;
  http.Get(server.Url(), body);
  EXPECT_EQ(size, body.total);
  EXPECT_LE(body.largest, 16u * 1024) << "the client buffered more than one read";
  EXPECT_GT(body.pieces, 1000u);
}

TEST(HttpClient, ReplyTimeoutCountsFromTheRequestNotFromEachByte) {
  const struct {
    const char* name;
    std::string prefix;  // sent at once; then one byte every 200 ms
  } cases[] = {
      {"silent server", ""},
      {"dripping head", "HTTP/1.1 200 OK\r\nX-Drip: "},
      {"dripping body", "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::atomic<bool> stop{false}, dripEnded{false};
    OneShotServer server([&](SOCKET s) {
      SendText(s, c.prefix);
      for (int i = 0; i < 100 && !stop; ++i) {
        Sleep(200);  // the drip itself: one byte each 200 ms, 20 s in all
        if (!c.prefix.empty()) SendText(s, "a");
      }
      dripEnded = !stop;
    });
    HttpClient http;
    http.SetReplyTimeout(1000);
    Collect body;
    const ULONGLONG start = GetTickCount64();
    EXPECT_THROW(http.Get(server.Url(), body), HttpError);
    const ULONGLONG took = GetTickCount64() - start;
    const bool ended = dripEnded;
    stop = true;
    std::printf("%s: gave up after %llu ms\n", c.name, static_cast<unsigned long long>(took));
    EXPECT_GE(took, 950u);
    // Each byte renewing the bound would have kept the client until the drip's end.
    EXPECT_FALSE(ended) << "each byte extended the bound";
    EXPECT_FALSE(http.Connected());
  }
}

TEST(HttpClient, ConnectFailuresRaise) {
  HttpClient http;
  {
    OneShotServer closed([](SOCKET) {});
    http.SetPort(closed.Port());
  }  // its port is free again: nothing listens there
  http.SetHost("127.0.0.1");
  EXPECT_THROW(http.Connect(), HttpError);
  EXPECT_FALSE(http.Connected());
  Collect body;
  EXPECT_THROW(http.Get("ftp://127.0.0.1/", body), HttpError);
  EXPECT_THROW(http.Get("http://127.0.0.1:99999/", body), HttpError);
}

}  // namespace
