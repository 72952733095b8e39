// SHA-256 from the system's well-kept implementations, which use the
// processor's SHA instructions where it has them: OpenSSL's libcrypto on
// Linux (libcurl already brings it into the process), CNG on Windows.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>

namespace platform {

using Sha256Digest = std::array<unsigned char, 32>;

class Sha256 {
 public:
  virtual ~Sha256() = default;
  // False when the implementation failed; the digest is then lost.
  virtual bool Update(const void* data, std::size_t size) = 0;
  // None when any step failed.
  virtual std::optional<Sha256Digest> Finish() = 0;
};

// Null when the system refuses a hash object.
std::unique_ptr<Sha256> MakeSha256();

}  // namespace platform
