#include "files/sha256_digest.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

Sha256Hasher::Sha256Hasher(Sha256Blocks blocks)
    : blocks_(blocks), state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256Hasher::Update(const void* data, std::size_t size) {
  if (size == 0) return;
  auto bytes = static_cast<const unsigned char*>(data);
  totalSize_ += size;
  if (pendingSize_ > 0) {
    std::size_t taken = std::min(size, sizeof pending_ - pendingSize_);
    std::memcpy(pending_ + pendingSize_, bytes, taken);
    pendingSize_ += taken;
    bytes += taken;
    size -= taken;
    if (pendingSize_ < sizeof pending_) return;
    blocks_(state_, pending_, 1);
    pendingSize_ = 0;
  }
  blocks_(state_, bytes, size / 64);
  bytes += size / 64 * 64;
  pendingSize_ = size % 64;
  std::memcpy(pending_, bytes, pendingSize_);
}

std::string Sha256Hasher::FinishHex() {
  const std::uint64_t bits = totalSize_ * 8;
  unsigned char tail[128] = {};
  std::memcpy(tail, pending_, pendingSize_);
  tail[pendingSize_] = 0x80;
  std::size_t tailSize = pendingSize_ < 56 ? 64 : 128;
  for (int i = 0; i < 8; ++i) tail[tailSize - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
  blocks_(state_, tail, tailSize / 64);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (std::uint32_t word : state_) {
    for (int shift = 28; shift >= 0; shift -= 4) hex += kHex[(word >> shift) & 0xf];
  }
  return hex;
}

std::optional<std::string> Sha256Hex(platform::ArchiveStream& stream) {
  Sha256Hasher hasher;
  // Large pieces: hashing a package must cost little beside unpacking it.
  std::vector<unsigned char> buffer(1 << 20);
  std::uint64_t size = stream.Size();
  for (std::uint64_t offset = 0; offset < size;) {
    std::size_t got = stream.ReadAt(offset, buffer.data(), buffer.size());
    if (got == 0) return std::nullopt;
    hasher.Update(buffer.data(), got);
    offset += got;
  }
  return hasher.FinishHex();
}

bool IsSha256Hex(const std::string& hex) {
  if (hex.size() != 64) return false;
  for (char c : hex) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}
