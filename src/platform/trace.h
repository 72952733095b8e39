// The diagnostic trace on standard output. The launcher has no console, so
// it is seen only when whoever starts it redirects standard output.
#pragma once

#include <memory>
#include <string_view>

namespace platform {

class Trace {
 public:
  virtual ~Trace() = default;
  // Written as it is, never interpreted as a format: code page 936 on
  // Windows, UTF-8 on Linux.
  virtual void Write(std::wstring_view text) = 0;
};

std::unique_ptr<Trace> MakeStdoutTrace();

}  // namespace platform
