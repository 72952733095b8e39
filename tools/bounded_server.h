// The httplib::Server of micro-pkg serve, which holds each request to a size
// and a deadline: a client sending header lines without end, or a byte now
// and then, would otherwise keep its connection's thread, and the header's
// memory, for as long as it liked, and enough of them the whole pool.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>

struct RequestLimits {
  // The request line and header fields together; more is answered 431.
  std::size_t headerBytes = 32 * 1024;
  // From when the server waits for a request until it answers; a request
  // not all there by then is answered 408.
  std::chrono::milliseconds deadline{10000};
};

class BoundedServer final : public httplib::Server {
 public:
  explicit BoundedServer(RequestLimits limits = {});

 private:
  bool process_and_close_socket(socket_t sock) override;

  const RequestLimits limits_;
};
