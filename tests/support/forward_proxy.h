// A forward HTTP proxy on 127.0.0.1 inside the test process: takes
// "GET http://127.0.0.1:PORT/path", fetches it from that loopback origin and
// counts what passes through.
#pragma once

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ForwardProxy {
 public:
  ForwardProxy();
  ForwardProxy(const ForwardProxy&) = delete;
  ForwardProxy& operator=(const ForwardProxy&) = delete;
  ~ForwardProxy();

  // "127.0.0.1:PORT", as proxy settings name it.
  std::string HostPort() const;
  // The addresses forwarded so far, in order.
  std::vector<std::string> Forwarded() const;

 private:
  void Forward(const httplib::Request& request, httplib::Response& response);

  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> forwarded_;
};
