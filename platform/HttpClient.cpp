#include "platform/HttpClient.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {
namespace {

// Limits on what the reply may make us hold: its head, and one chunk-size or trailer line.
const size_t kMaxHead = 64 * 1024;
const size_t kMaxLine = 4 * 1024;

const char kContentType[] = "text/html";
const char kAccept[] = "text/html, */*";
const char kUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(),
                                                static_cast<int>(a.size()), b.data(),
                                                static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

struct Url {
  std::string host;
  unsigned short port = 80;
  std::string pathAndQuery;
};

Url ParseUrl(const std::string& url) {
  const std::string scheme = "http://";
  if (url.size() <= scheme.size() || !SameText(url.substr(0, scheme.size()), scheme))
    throw HttpError("not an http URL: " + url);
  const size_t start = scheme.size();
  const size_t slash = url.find_first_of("/?", start);
  std::string authority = url.substr(start, slash == std::string::npos ? slash : slash - start);
  Url parsed;
  const size_t colon = authority.find(':');
  if (colon != std::string::npos) {
    const std::string port = authority.substr(colon + 1);
    char* end = nullptr;
    const unsigned long value = std::strtoul(port.c_str(), &end, 10);
    if (port.empty() || *end != '\0' || value == 0 || value > 65535)
      throw HttpError("bad port in URL: " + url);
    parsed.port = static_cast<unsigned short>(value);
    authority.resize(colon);
  }
  if (authority.empty()) throw HttpError("no host in URL: " + url);
  parsed.host = authority;
  parsed.pathAndQuery = slash == std::string::npos ? "/" : url.substr(slash);
  if (parsed.pathAndQuery[0] == '?') parsed.pathAndQuery.insert(0, "/");
  return parsed;
}

// The reply as it comes off the socket, through one small buffer, under one deadline.
class ReplyReader {
 public:
  ReplyReader(SOCKET socket, DWORD timeoutMs)
      : socket_(socket), deadline_(timeoutMs ? GetTickCount64() + timeoutMs : 0) {}

  // One line without its CR LF (a bare LF ends it too); longer than limit raises.
  std::string ReadLine(size_t limit) {
    std::string line;
    for (;;) {
      if (pos_ == len_ && !Fill()) throw HttpError("connection closed in the reply head");
      const char* begin = buffer_ + pos_;
      const char* newline = static_cast<const char*>(std::memchr(begin, '\n', len_ - pos_));
      const size_t take = newline ? static_cast<size_t>(newline - begin) : len_ - pos_;
      if (line.size() + take > limit) throw HttpError("reply line too long");
      line.append(begin, take);
      pos_ += take;
      if (newline) {
        ++pos_;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
    }
  }

  void CopyExactly(uint64_t count, Stream& body) {
    while (count > 0) {
      if (pos_ == len_ && !Fill()) throw HttpError("connection closed in the reply body");
      const size_t take = static_cast<size_t>(std::min<uint64_t>(count, len_ - pos_));
      body.Write(buffer_ + pos_, take);
      pos_ += take;
      count -= take;
    }
  }

  void CopyToEnd(Stream& body) {
    for (;;) {
      if (pos_ == len_ && !Fill()) return;
      body.Write(buffer_ + pos_, len_ - pos_);
      pos_ = len_;
    }
  }

 private:
  // Refills the empty buffer; false when the server has closed.
  bool Fill() {
    if (deadline_ != 0) {
      const ULONGLONG now = GetTickCount64();
      // Checked before the wait too: a server that never stops sending keeps the socket
      // readable, and would otherwise never meet the bound.
      if (now >= deadline_) throw HttpError("reply timed out");
      const ULONGLONG left = deadline_ - now;
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(socket_, &readable);
      timeval wait = {static_cast<long>(left / 1000), static_cast<long>(left % 1000) * 1000};
      const int ready = select(0, &readable, nullptr, nullptr, &wait);
      if (ready == SOCKET_ERROR) throw HttpError("select failed");
      if (ready == 0) throw HttpError("reply timed out");
    }
    const int got = recv(socket_, buffer_, sizeof buffer_, 0);
    if (got == SOCKET_ERROR) throw HttpError("receive failed");
    pos_ = 0;
    len_ = static_cast<size_t>(got);
    return got > 0;
  }

  SOCKET socket_;
  ULONGLONG deadline_;
  char buffer_[16 * 1024];
  size_t pos_ = 0;
  size_t len_ = 0;
};

uint64_t ParseNumber(const std::string& text, int base) {
  if (text.empty() || text.size() > 16) throw HttpError("bad number in reply: " + text);
  uint64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else throw HttpError("bad number in reply: " + text);
    value = value * base + digit;
  }
  return value;
}

void ReadChunked(ReplyReader& reader, Stream& body) {
  for (;;) {
    std::string sizeLine = reader.ReadLine(kMaxLine);
    const size_t extension = sizeLine.find(';');
    if (extension != std::string::npos) sizeLine.resize(extension);
    const uint64_t size = ParseNumber(Trim(sizeLine), 16);
    if (size == 0) break;
    reader.CopyExactly(size, body);
    if (!reader.ReadLine(kMaxLine).empty()) throw HttpError("chunk without its CR LF");
  }
  while (!reader.ReadLine(kMaxLine).empty()) {  // trailer fields, dropped
  }
}

}  // namespace

HttpClient::HttpClient() {
  WSADATA data;
  winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

HttpClient::~HttpClient() {
  Disconnect();
  if (winsock_) WSACleanup();
}

void HttpClient::Connect() {
  Disconnect();
  if (!winsock_) throw HttpError("Winsock not available");
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* addresses = nullptr;
  const std::string port = std::to_string(port_);
  if (getaddrinfo(host_.c_str(), port.c_str(), &hints, &addresses) != 0 || addresses == nullptr)
    throw HttpError("host not found: " + host_);
  for (addrinfo* a = addresses; a != nullptr && socket_ == INVALID_SOCKET; a = a->ai_next) {
    SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    if (connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0)
      socket_ = s;
    else
      closesocket(s);
  }
  freeaddrinfo(addresses);
  if (socket_ == INVALID_SOCKET) throw HttpError("could not connect to " + host_);
}

void HttpClient::Disconnect() {
  if (socket_ == INVALID_SOCKET) return;
  closesocket(socket_);
  socket_ = INVALID_SOCKET;
}

void HttpClient::Get(const std::string& url, Stream& body) {
  const Url target = ParseUrl(url);
  if (!Connected() || !SameText(target.host, host_) || target.port != port_) {
    host_ = target.host;
    port_ = target.port;
    Connect();
  }
  std::string request = "GET " + target.pathAndQuery + " HTTP/1.1\r\n";
  request += "Content-Type: " + std::string(kContentType) + "\r\n";
  request += "Host: " + host_ + (port_ == 80 ? "" : ":" + std::to_string(port_)) + "\r\n";
  request += "Accept: " + std::string(kAccept) + "\r\n";
  request += "User-Agent: " + std::string(kUserAgent) + "\r\n";
  request += "\r\n";
  try {
    for (size_t sent = 0; sent < request.size();) {
      const int n = send(socket_, request.data() + sent, static_cast<int>(request.size() - sent), 0);
      if (n == SOCKET_ERROR) throw HttpError("send failed");
      sent += static_cast<size_t>(n);
    }
    ReadReply(body);
  } catch (...) {
    Disconnect();  // a reply cut short leaves the connection of no further use
    throw;
  }
}

void HttpClient::ReadReply(Stream& body) {
  ReplyReader reader(socket_, replyTimeoutMs_);
  const std::string statusLine = reader.ReadLine(kMaxHead);
  // "HTTP/1.x SSS reason"
  if (statusLine.compare(0, 5, "HTTP/") != 0 || statusLine.size() < 12 || statusLine[8] != ' ')
    throw HttpError("malformed status line: " + statusLine);
  const int status = static_cast<int>(ParseNumber(statusLine.substr(9, 3), 10));
  if (statusLine.size() > 12 && statusLine[12] != ' ')
    throw HttpError("malformed status line: " + statusLine);

  bool chunked = false, hasLength = false, close = false;
  uint64_t length = 0;
  size_t headSize = statusLine.size();
  for (;;) {
    const std::string line = reader.ReadLine(kMaxHead);
    headSize += line.size() + 2;
    if (headSize > kMaxHead) throw HttpError("reply head too long");
    if (line.empty()) break;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) throw HttpError("malformed header: " + line);
    const std::string name = line.substr(0, colon);
    const std::string value = Trim(line.substr(colon + 1));
    if (SameText(name, "Transfer-Encoding")) {
      const size_t last = value.find_last_of(',');
      chunked = SameText(Trim(last == std::string::npos ? value : value.substr(last + 1)),
                         "chunked");
    } else if (SameText(name, "Content-Length")) {
      const uint64_t n = ParseNumber(value, 10);
      if (hasLength && n != length) throw HttpError("conflicting Content-Length");
      hasLength = true;
      length = n;
    } else if (SameText(name, "Connection")) {
      close = SameText(value, "close");
    }
  }
  if (status < 200 || status > 299)
    throw HttpError("HTTP status " + std::to_string(status));

  if (status == 204) {
    // no body
  } else if (chunked) {
    ReadChunked(reader, body);
  } else if (hasLength) {
    reader.CopyExactly(length, body);
  } else {
    reader.CopyToEnd(body);
    close = true;
  }
  if (close) Disconnect();
}

}  // namespace platform
