#include "bounded_server.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <poll.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kLingering{1000};

#ifdef _WIN32
constexpr int kSendFlags = 0;
#else
constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

// True when `sock` is ready for `events` within `timeout`.
bool WaitFor(socket_t sock, short events, milliseconds timeout) {
  pollfd entry{};
  entry.fd = sock;
  entry.events = events;
  int ms = static_cast<int>(std::max<milliseconds::rep>(timeout.count(), 0));
#ifdef _WIN32
  return WSAPoll(&entry, 1, ms) > 0;
#else
  int ready = 0;
  do {
    ready = ::poll(&entry, 1, ms);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
#endif
}

void Address(int (*query)(socket_t, sockaddr*, socklen_t*), socket_t sock, std::string& ip,
             int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  char host[NI_MAXHOST] = "";
  if (query(sock, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      getnameinfo(reinterpret_cast<sockaddr*>(&address), length, host, sizeof host, nullptr, 0,
                  NI_NUMERICHOST) != 0) {
    return;
  }
  ip = host;
  port = address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port)
                                       : ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

int PeerName(socket_t sock, sockaddr* address, socklen_t* length) {
  return getpeername(sock, address, length);
}

int SocketName(socket_t sock, sockaddr* address, socklen_t* length) {
  return getsockname(sock, address, length);
}

enum class Refusal { None, TooLarge, TooSlow };

// One connection as httplib reads and writes it, request after request:
// until a request is answered, every wait is held to its deadline, and
// until its header ends, every byte counts against the header's bound.
class BoundedStream final : public httplib::Stream {
 public:
  BoundedStream(socket_t sock, const RequestLimits& limits, milliseconds readTimeout,
                milliseconds writeTimeout)
      : sock_(sock),
        limits_(limits),
        readTimeout_(readTimeout),
        writeTimeout_(writeTimeout),
        buffer_(4096) {}

  // The next request begins to be waited for.
  void BeginRequest() {
    deadline_ = Clock::now() + limits_.deadline;
    answering_ = false;
    inHeader_ = true;
    headerBytes_ = 0;
    seen_ = Seen::Other;
  }

  // Whether the next request begins to come within `idle`.
  bool AwaitRequest(milliseconds idle) { return Buffered() > 0 || WaitToRead(idle); }

  Refusal refusal() const { return refusal_; }

  // Answers the refusal itself: what httplib wrote instead was dropped.
  void SendRefusal() {
    const char* answer = refusal_ == Refusal::TooLarge
                             ? "HTTP/1.1 431 Request Header Fields Too Large\r\n"
                               "Content-Length: 0\r\nConnection: close\r\n\r\n"
                             : "HTTP/1.1 408 Request Timeout\r\n"
                               "Content-Length: 0\r\nConnection: close\r\n\r\n";
    Send(answer, std::strlen(answer));
  }

  // Reads what the client still sends, for a moment, before the socket is
  // closed: closing with bytes unread would reset the connection, and the
  // client could lose the answer.
  void Drain() {
    auto until = Clock::now() + kLingering;
    for (;;) {
      auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now());
      if (left.count() <= 0 || !WaitFor(sock_, POLLIN, left) ||
          recv(sock_, buffer_.data(), static_cast<int>(buffer_.size()), 0) <= 0) {
        return;
      }
    }
  }

  bool is_readable() const override { return Buffered() > 0 || WaitToRead(readTimeout_); }

  bool is_writable() const override { return WaitFor(sock_, POLLOUT, writeTimeout_); }

  ssize_t read(char* ptr, size_t size) override {
    if (refusal_ != Refusal::None) return -1;
    if (inHeader_ && headerBytes_ >= limits_.headerBytes) {
      refusal_ = Refusal::TooLarge;
      return -1;
    }
    if (Buffered() == 0) {
      if (!WaitToRead(readTimeout_)) {
        if (!answering_ && Clock::now() >= deadline_) refusal_ = Refusal::TooSlow;
        return -1;
      }
      auto received = recv(sock_, buffer_.data(), static_cast<int>(buffer_.size()), 0);
      if (received <= 0) return received;
      start_ = 0;
      end_ = static_cast<std::size_t>(received);
    }
    std::size_t n = std::min(size, Buffered());
    if (inHeader_) n = std::min(n, limits_.headerBytes - headerBytes_);
    std::memcpy(ptr, buffer_.data() + start_, n);
    start_ += n;
    if (inHeader_) Count(ptr, n);
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    answering_ = true;
    // httplib's own answer to a refused request is replaced by ours.
    if (refusal_ != Refusal::None) return static_cast<ssize_t>(size);
    if (!is_writable()) return -1;
    return Send(ptr, size);
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    Address(PeerName, sock_, ip, port);
  }

  void get_local_ip_and_port(std::string& ip, int& port) const override {
    Address(SocketName, sock_, ip, port);
  }

  socket_t socket() const override { return sock_; }

 private:
  // What the last header bytes were, to find the empty line that ends it.
  enum class Seen { Other, LineEnd, LineEndReturn };

  std::size_t Buffered() const { return end_ - start_; }

  // Waits `timeout` at most, and no later than the deadline while the
  // request is not yet answered.
  bool WaitToRead(milliseconds timeout) const {
    if (!answering_) {
      // Rounded up, so that a wait cut short by the deadline ends past it.
      auto left = std::chrono::ceil<milliseconds>(deadline_ - Clock::now());
      timeout = std::min(timeout, left);
      if (timeout.count() <= 0) return false;
    }
    return WaitFor(sock_, POLLIN, timeout);
  }

  void Count(const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size && inHeader_; ++i) {
      ++headerBytes_;
      if (bytes[i] == '\n') {
        inHeader_ = seen_ != Seen::LineEndReturn;
        seen_ = Seen::LineEnd;
      } else {
        seen_ = bytes[i] == '\r' && seen_ == Seen::LineEnd ? Seen::LineEndReturn : Seen::Other;
      }
    }
  }

  ssize_t Send(const char* data, std::size_t size) {
    return send(sock_, data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), kSendFlags);
  }

  const socket_t sock_;
  const RequestLimits limits_;
  const milliseconds readTimeout_;
  const milliseconds writeTimeout_;
  std::vector<char> buffer_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  Clock::time_point deadline_;
  bool answering_ = false;
  bool inHeader_ = true;
  std::size_t headerBytes_ = 0;
  Seen seen_ = Seen::Other;
  Refusal refusal_ = Refusal::None;
};

milliseconds Milliseconds(time_t seconds, time_t microseconds) {
  return milliseconds(seconds * 1000 + microseconds / 1000);
}

}  // namespace

BoundedServer::BoundedServer(RequestLimits limits) : limits_(limits) {
  // The site answers GET and HEAD; a body is read only to be dropped.
  set_payload_max_length(limits_.headerBytes);
}

bool BoundedServer::process_and_close_socket(socket_t sock) {
  BoundedStream stream(sock, limits_, Milliseconds(read_timeout_sec_, read_timeout_usec_),
                       Milliseconds(write_timeout_sec_, write_timeout_usec_));
  bool served = false;
  for (std::size_t count = keep_alive_max_count_; count > 0 && svr_sock_ != INVALID_SOCKET;
       --count) {
    stream.BeginRequest();
    if (!stream.AwaitRequest(milliseconds(keep_alive_timeout_sec_ * 1000))) break;
    bool closed = false;
    served = process_request(stream, count == 1, closed, nullptr);
    if (stream.refusal() != Refusal::None) {
      stream.SendRefusal();
#ifdef _WIN32
      shutdown(sock, SD_SEND);
#else
      shutdown(sock, SHUT_WR);
#endif
      stream.Drain();
      served = false;
    }
    if (!served || closed) break;
  }
#ifdef _WIN32
  shutdown(sock, SD_BOTH);
  closesocket(sock);
#else
  shutdown(sock, SHUT_RDWR);
  close(sock);
#endif
  return served;
}
