// An operator's public key in minisign's form: the base64 line minisign
// prints, holding the algorithm "Ed", an 8-byte key id and the Ed25519 key.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using MinisignKeyId = std::array<std::uint8_t, 8>;

struct MinisignPublicKey {
  MinisignKeyId keyId{};
  std::array<std::uint8_t, 32> key{};
};

// Strict base64 (standard alphabet, padded) into exactly `size` bytes; none
// for anything else. White space around the text is ignored.
std::optional<std::string> DecodeBase64Exactly(std::string_view text, std::size_t size);
std::string EncodeBase64(std::string_view bytes);

// None unless `line` is the base64 of exactly 42 bytes that start with "Ed".
std::optional<MinisignPublicKey> ParseMinisignPublicKey(std::string_view line);
std::string FormatMinisignPublicKey(const MinisignPublicKey& key);

// The key id as minisign shows it: its bytes read as a little-endian number,
// in upper-case hex.
std::string FormatMinisignKeyId(const MinisignKeyId& keyId);
