#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstddef>
#include <stdexcept>
#include <string>

namespace platform {

// Any failure of the connection, the request or the reply, an HTTP status outside 2xx included.
class HttpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a reply body goes, piece by piece as it arrives.
class Stream {
 public:
  virtual ~Stream() = default;
  virtual void Write(const char* data, size_t size) = 0;
};

// Takes every piece and keeps none of it, so a body of any size costs no memory.
class NullStream : public Stream {
 public:
  void Write(const char*, size_t) override {}
};

// A small HTTP/1.1 client over one blocking Winsock connection: no proxy, no redirects, no
// credentials, no cookies. The request goes out whole before any of the reply is read.
class HttpClient {
 public:
  HttpClient();
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  void SetHost(const std::string& host) { host_ = host; }
  void SetPort(unsigned short port) { port_ = port; }
  // Bound on the whole reply, counted from the moment the request is written, however slowly
  // the server sends; 0 waits without end.
  void SetReplyTimeout(DWORD milliseconds) { replyTimeoutMs_ = milliseconds; }

  // A plain blocking connect to the host and port: only the system's own time-out bounds it.
  void Connect();
  // GET of an absolute "http://" URL. A URL naming another host or port than the open
  // connection's connects anew. A 2xx body goes to body as it arrives (by Content-Length,
  // chunked, or until the server closes); any other status, a malformed reply or the reply
  // time-out raises HttpError, and the connection is then closed.
  void Get(const std::string& url, Stream& body);
  bool Connected() const { return socket_ != INVALID_SOCKET; }
  void Disconnect();

 private:
  void ReadReply(Stream& body);

  std::string host_;
  unsigned short port_ = 80;
  DWORD replyTimeoutMs_ = 0;
  SOCKET socket_ = INVALID_SOCKET;
  bool winsock_ = false;
};

}  // namespace platform
