// SHA-256 of a whole file, as the manifest's "package_sha256" names it.
#pragma once

#include <optional>
#include <string>

#include <cstddef>
#include <cstdint>

#include "files/sha256_blocks.h"
#include "platform/archive_files.h"

// SHA-256 of bytes that arrive piece by piece, so a download is hashed as it
// is written instead of read again afterwards.
class Sha256Hasher {
 public:
  explicit Sha256Hasher(Sha256Blocks blocks = Sha256BlocksBest());
  void Update(const void* data, std::size_t size);
  // Lower-case hex; the hasher is spent.
  std::string FinishHex();

 private:
  Sha256Blocks blocks_;
  std::uint32_t state_[8];
  unsigned char pending_[64];
  std::size_t pendingSize_ = 0;
  std::uint64_t totalSize_ = 0;
};

// Lower-case hex of the SHA-256 of every byte of the stream; none when a read
// fails before the end.
std::optional<std::string> Sha256Hex(platform::ArchiveStream& stream);

// True when `hex` is 64 hex digits, in either case.
bool IsSha256Hex(const std::string& hex);
