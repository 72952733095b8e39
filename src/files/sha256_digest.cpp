#include "files/sha256_digest.h"

#include <sodium.h>

#include <cctype>
#include <cstdint>
#include <vector>

std::optional<std::string> Sha256Hex(platform::ArchiveStream& stream) {
  if (sodium_init() < 0) return std::nullopt;
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  // Large pieces: hashing a package must cost little beside unpacking it.
  std::vector<unsigned char> buffer(1 << 20);
  std::uint64_t size = stream.Size();
  for (std::uint64_t offset = 0; offset < size;) {
    std::size_t got = stream.ReadAt(offset, buffer.data(), buffer.size());
    if (got == 0) return std::nullopt;
    crypto_hash_sha256_update(&state, buffer.data(), got);
    offset += got;
  }
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256_final(&state, digest);
  char hex[sizeof digest * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
  return std::string(hex);
}

bool IsSha256Hex(const std::string& hex) {
  if (hex.size() != crypto_hash_sha256_BYTES * 2) return false;
  for (char c : hex) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}
