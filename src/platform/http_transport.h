// Moves the bytes of one HTTP GET. Every rule about what a download may be
// (schemes, statuses, ranges, sizes, speeds, files) is the download step's
// in src/update; a transport only reports what happened.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/system_error.h"

namespace platform {

struct HttpRequest {
  std::wstring url;
  // When not empty, asks for these bytes only ("Range: bytes=" and this):
  // "524288-" for the rest from there, "-65536" for the last 64 KiB,
  // "100-199,500-599" for several spans.
  std::string byteRange;
  // Sent as If-Range along with the range, when not empty.
  std::string ifRange;
  // The whole transfer is given up after this long; 0 for no limit.
  std::chrono::milliseconds timeLimit{0};
  // Redirects followed (to http and https only); one more is a BadRedirect.
  int redirectLimit = 10;
};

// The header lines ("Name: value") the request adds to its GET, the same for
// every transport: the range and its If-Range.
std::vector<std::string> RequestHeaders(const HttpRequest& request);

// The final response (after redirects): its status and the headers that the
// download step reads.
struct HttpHead {
  int status = 0;
  std::optional<std::uint64_t> contentLength;
  std::string contentRange;
  // Names the boundary of a multipart/byteranges body.
  std::string contentType;
  std::string etag;
  std::string lastModified;
};

// Hears one transfer, on the calling thread. Returning false from any of
// these stops the transfer.
class HttpReceiver {
 public:
  virtual ~HttpReceiver() = default;
  // Once, before the first body byte.
  virtual bool OnHead(const HttpHead& head) = 0;
  virtual bool OnBody(const char* data, std::size_t size) = 0;
  // Now and then while the transfer runs, also while nothing arrives (at
  // least every `idleTimeout`).
  virtual bool OnTick() = 0;
};

enum class TransportOutcome {
  // The response ended; the body may still be shorter than announced.
  Ended,
  // A receiver call returned false.
  Stopped,
  // Name lookup, connection or TLS failed, or the address is not one the
  // transport can fetch.
  ConnectFailed,
  // The connection broke after the request was sent.
  Dropped,
  // Nothing arrived for `idleTimeout`, or `timeLimit` passed.
  TimedOut,
  // More redirects than the request allows, or one to a scheme other than
  // http and https.
  BadRedirect,
};

struct TransportResult {
  // An outcome the system gave no cause for (an end, a stop, our own limit).
  TransportResult(TransportOutcome outcome, SystemError cause = {})
      : outcome(outcome), cause(std::move(cause)) {}
  TransportOutcome outcome;
  // What the system said about a failure: the CURLcode with curl's words,
  // the WinHTTP error with its message.
  SystemError cause;
};

class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
  // Blocks until the transfer ends.
  virtual TransportResult Get(const HttpRequest& request, HttpReceiver& receiver) = 0;
};

struct TransportLimits {
  std::chrono::milliseconds connectTimeout{15000};
  // A connection on which nothing arrives for this long is given up.
  std::chrono::milliseconds idleTimeout{30000};
};

// Shared, because detached workers keep using it after their starter is gone.
std::shared_ptr<HttpTransport> MakeSystemTransport(const TransportLimits& limits = {});

}  // namespace platform
