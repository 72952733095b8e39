#include "files/minisign_key.h"

#include <sodium.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::string_view kEd25519 = "Ed";

std::string_view TrimSpace(std::string_view text) {
  const char* space = " \t\r\n";
  std::size_t first = text.find_first_not_of(space);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

}  // namespace

std::optional<std::string> DecodeBase64Exactly(std::string_view text, std::size_t size) {
  text = TrimSpace(text);
  // The decoder may stop early at a character it does not know; insisting
  // that it consumed everything makes trailing junk an error.
  std::string bytes(text.size(), '\0');
  std::size_t length = 0;
  const char* end = nullptr;
  if (sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), text.data(),
                        text.size(), nullptr, &length, &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
      end != text.data() + text.size() || length != size) {
    return std::nullopt;
  }
  bytes.resize(length);
  return bytes;
}

std::string EncodeBase64(std::string_view bytes) {
  std::string text(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                    bytes.size(), sodium_base64_VARIANT_ORIGINAL);
  text.resize(text.size() - 1);
  return text;
}

std::optional<MinisignPublicKey> ParseMinisignPublicKey(std::string_view line) {
  MinisignPublicKey key;
  std::optional<std::string> bytes =
      DecodeBase64Exactly(line, kEd25519.size() + key.keyId.size() + key.key.size());
  if (!bytes || std::string_view(*bytes).substr(0, kEd25519.size()) != kEd25519) {
    return std::nullopt;
  }
  auto at = bytes->begin() + kEd25519.size();
  std::copy_n(at, key.keyId.size(), key.keyId.begin());
  std::copy_n(at + key.keyId.size(), key.key.size(), key.key.begin());
  return key;
}

std::string FormatMinisignPublicKey(const MinisignPublicKey& key) {
  std::string bytes(kEd25519);
  bytes.append(key.keyId.begin(), key.keyId.end());
  bytes.append(key.key.begin(), key.key.end());
  return EncodeBase64(bytes);
}

std::string FormatMinisignKeyId(const MinisignKeyId& keyId) {
  std::string hex;
  for (auto it = keyId.rbegin(); it != keyId.rend(); ++it) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(*it));
    hex += digits;
  }
  return hex;
}
