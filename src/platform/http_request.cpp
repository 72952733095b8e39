#include "platform/http_transport.h"

namespace platform {

std::vector<std::string> RequestHeaders(const HttpRequest& request) {
  std::vector<std::string> headers;
  if (request.byteRange.empty()) return headers;
  headers.push_back("Range: bytes=" + request.byteRange);
  if (!request.ifRange.empty()) headers.push_back("If-Range: " + request.ifRange);
  return headers;
}

}  // namespace platform
