#include "files/sha256_digest.h"

#include <cctype>
#include <vector>

Sha256Hasher::Sha256Hasher() : sha256_(platform::MakeSha256()) {}

void Sha256Hasher::Update(const void* data, std::size_t size) {
  if (sha256_ && size > 0) sha256_->Update(data, size);
}

std::string Sha256Hasher::FinishHex() {
  std::optional<platform::Sha256Digest> digest;
  if (sha256_) digest = sha256_->Finish();
  if (!digest) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : *digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0xf];
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
  std::string hex = hasher.FinishHex();
  if (hex.empty()) return std::nullopt;
  return hex;
}

std::optional<platform::Sha256Digest> Sha256Of(const void* data, std::size_t size) {
  std::unique_ptr<platform::Sha256> sha256 = platform::MakeSha256();
  if (!sha256 || (size > 0 && !sha256->Update(data, size))) return std::nullopt;
  return sha256->Finish();
}

bool IsSha256Hex(const std::string& hex) {
  if (hex.size() != 64) return false;
  for (char c : hex) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool SameSha256Hex(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}
