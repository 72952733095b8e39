// What the system said when one of its calls failed, kept with the result so
// that a trace can tell a failed name lookup from a refused connection, a
// TLS failure or a full disk.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace platform {

struct SystemError {
  // The system's own number: errno, a Win32 or WinHTTP error, a CURLcode.
  int code = 0;
  // The system's words for it, on one line.
  std::wstring text;
  bool Known() const { return code != 0 || !text.empty(); }
};

// "error 7: Failed to connect to 127.0.0.1 port 9 ..."; empty when nothing
// is known.
std::wstring DescribeSystemError(const SystemError& error);

// A call's success, or its failure with the system's cause.
class [[nodiscard]] SystemResult {
 public:
  SystemResult() = default;
  // A failure.
  SystemResult(SystemError error) : error_(std::move(error)) {}
  explicit operator bool() const { return !error_; }
  bool Ok() const { return !error_; }
  // Empty on success.
  SystemError Error() const { return error_.value_or(SystemError{}); }

 private:
  std::optional<SystemError> error_;
};

}  // namespace platform
