// SHA-256 of a whole file, as the manifest's "package_sha256" names it.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/archive_files.h"
#include "platform/sha256.h"

// SHA-256 of bytes that arrive piece by piece, so a download is hashed as it
// is written instead of read again afterwards.
class Sha256Hasher {
 public:
  Sha256Hasher();
  void Update(const void* data, std::size_t size);
  // Lower-case hex; the hasher is spent. Empty when the system's hashing
  // failed, which matches no digest.
  std::string FinishHex();

 private:
  std::unique_ptr<platform::Sha256> sha256_;
};

// Lower-case hex of the SHA-256 of every byte of the stream; none when a read
// fails before the end.
std::optional<std::string> Sha256Hex(platform::ArchiveStream& stream);

// The SHA-256 of `size` bytes; none when the system's hashing failed.
std::optional<platform::Sha256Digest> Sha256Of(const void* data, std::size_t size);

// True when `hex` is 64 hex digits, in either case.
bool IsSha256Hex(const std::string& hex);

// True when both name the same digest, whatever the case of their letters.
bool SameSha256Hex(std::string_view a, std::string_view b);
