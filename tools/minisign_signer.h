// Making keys and signatures in minisign's formats, so that operators can
// sign with micro-pkg or with minisign and verify with either.
//
// A secret key file is an untrusted comment line and the base64 of
//   "Ed", the key derivation ("Sc" for scrypt, two zero bytes for none),
//   "B2", a 32-byte salt, the scrypt opslimit and memlimit (8 bytes each,
//   little-endian), then the key id (8), the Ed25519 secret key (64) and the
//   BLAKE2b-256 checksum of "Ed", key id and secret key (32).
// With "Sc" the last 104 bytes are XORed with a stream that scrypt derives
// from the password.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "files/minisign_key.h"
#include "files/minisign_signature.h"

struct MinisignSecretKey {
  MinisignKeyId keyId{};
  // libsodium's form: the seed followed by the public key.
  std::array<std::uint8_t, 64> secret{};
};

struct MinisignKeyPair {
  MinisignPublicKey publicKey;
  MinisignSecretKey secretKey;
};

// A new key pair with a random key id; none when libsodium fails.
std::optional<MinisignKeyPair> GenerateMinisignKeyPair();

// The public key file minisign writes: its comment names the key id.
std::string FormatPublicKeyFile(const MinisignPublicKey& key);
// The key from a public key file (its last base64 line) or from the bare line.
std::optional<MinisignPublicKey> ReadPublicKeyText(std::string_view text);

// A secret key file without a password (minisign's -W).
std::string FormatSecretKeyFile(const MinisignSecretKey& key);

enum class SecretKeyStatus { Ok, Malformed, NeedsPassword, WrongPassword };
struct SecretKeyReading {
  SecretKeyStatus status = SecretKeyStatus::Malformed;
  MinisignSecretKey key;
};
// Reads a secret key file; `password` is used only for an encrypted one.
SecretKeyReading ReadSecretKeyFile(std::string_view text,
                                   const std::optional<std::string>& password);
// True when the file's key is encrypted with a password.
bool SecretKeyIsEncrypted(std::string_view text);

// Signs `message`; none when libsodium fails or a comment holds a line break.
std::optional<MinisignSignature> SignMinisign(const MinisignSecretKey& key,
                                              std::string_view message, MinisignAlgorithm algorithm,
                                              std::string untrustedComment,
                                              std::string trustedComment);
