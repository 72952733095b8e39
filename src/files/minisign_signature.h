// Signature files in minisign's format, and their verification with libsodium:
//
//   untrusted comment: <text>
//   <base64: algorithm "Ed" or "ED", key id (8 bytes), Ed25519 signature (64)>
//   trusted comment: <text>
//   <base64: Ed25519 signature of the signature above followed by the trusted comment>
//
// "Ed" signs the message itself, "ED" its BLAKE2b-512 hash.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "files/minisign_key.h"

enum class MinisignAlgorithm { Legacy, Prehashed };

using Ed25519Signature = std::array<std::uint8_t, 64>;

struct MinisignSignature {
  MinisignAlgorithm algorithm = MinisignAlgorithm::Prehashed;
  MinisignKeyId keyId{};
  Ed25519Signature signature{};
  std::string untrustedComment;
  std::string trustedComment;
  Ed25519Signature globalSignature{};
};

// The longest signature file the launcher reads, for the operators' tool to
// refuse a trusted comment that would not fit: the file is four short lines
// and minisign allows trusted comments of about a kilobyte.
inline constexpr std::size_t kMaxMinisignSignatureBytes = 16 * 1024;

// None when the text is not a whole signature file (missing or truncated
// lines, bad base64, an unknown algorithm). CR LF line ends are accepted.
std::optional<MinisignSignature> ParseMinisignSignature(std::string_view text);
std::string FormatMinisignSignature(const MinisignSignature& signature);

enum class SignatureCheck {
  Valid,
  // The signature file could not be read as one.
  Malformed,
  // Made with another key than the one given.
  OtherKey,
  // The message is not the one that was signed.
  MessageAltered,
  // The trusted comment is not the one that was signed.
  CommentAltered,
  // libsodium could not be initialised.
  Unavailable,
};

SignatureCheck VerifyMinisignSignature(const MinisignPublicKey& key,
                                       const MinisignSignature& signature,
                                       std::string_view message);

// Parses and verifies in one go.
SignatureCheck VerifyMinisignFile(const MinisignPublicKey& key, std::string_view signatureFile,
                                  std::string_view message);

// What is signed: the message, or its BLAKE2b-512 hash; and, by the global
// signature, the signature followed by the trusted comment. Empty when
// libsodium fails.
std::string MinisignSignedBytes(MinisignAlgorithm algorithm, std::string_view message);
std::string MinisignGlobalBytes(const MinisignSignature& signature);

// A short English name of the result, for traces and the operators' tool.
const char* SignatureCheckName(SignatureCheck check);
