#include "minisign_signer.h"

#include <sodium.h>

#include <algorithm>
#include <vector>

namespace {

constexpr std::string_view kEd25519 = "Ed";
constexpr std::string_view kScrypt = "Sc";
constexpr std::string_view kNoKdf("\0\0", 2);
constexpr std::string_view kBlake2b = "B2";
constexpr std::size_t kSaltBytes = 32;
constexpr std::size_t kKdfHeaderBytes = 2 + 2 + 2 + kSaltBytes + 8 + 8;
constexpr std::size_t kChecksumBytes = 32;
constexpr std::size_t kKeyNumBytes = 8 + 64 + kChecksumBytes;
constexpr std::size_t kSecretFileBytes = kKdfHeaderBytes + kKeyNumBytes;

std::string Checksum(const MinisignSecretKey& key) {
  std::string input(kEd25519);
  input.append(key.keyId.begin(), key.keyId.end());
  input.append(key.secret.begin(), key.secret.end());
  std::string sum(kChecksumBytes, '\0');
  crypto_generichash(reinterpret_cast<unsigned char*>(sum.data()), sum.size(),
                     reinterpret_cast<const unsigned char*>(input.data()), input.size(), nullptr,
                     0);
  return sum;
}

std::uint64_t LoadLittleEndian64(const char* bytes) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

// The base64 line of a key file: the last line that is not a comment.
std::string_view KeyLine(std::string_view text) {
  std::string_view line;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view current = text.substr(0, end);
    if (current.find_first_not_of(" \t\r") != std::string_view::npos &&
        current.rfind("untrusted comment:", 0) != 0) {
      line = current;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return line;
}

std::optional<std::string> SecretKeyBytes(std::string_view text) {
  std::optional<std::string> bytes = DecodeBase64Exactly(KeyLine(text), kSecretFileBytes);
  if (!bytes || bytes->compare(0, 2, kEd25519) != 0 || bytes->compare(4, 2, kBlake2b) != 0) {
    return std::nullopt;
  }
  return bytes;
}

bool Sign(const MinisignSecretKey& key, std::string_view bytes, Ed25519Signature& signature) {
  return crypto_sign_ed25519_detached(signature.data(), nullptr,
                                      reinterpret_cast<const unsigned char*>(bytes.data()),
                                      bytes.size(), key.secret.data()) == 0;
}

}  // namespace

std::optional<MinisignKeyPair> GenerateMinisignKeyPair() {
  if (sodium_init() < 0) return std::nullopt;
  MinisignKeyPair pair;
  if (crypto_sign_ed25519_keypair(pair.publicKey.key.data(), pair.secretKey.secret.data()) != 0) {
    return std::nullopt;
  }
  randombytes_buf(pair.publicKey.keyId.data(), pair.publicKey.keyId.size());
  pair.secretKey.keyId = pair.publicKey.keyId;
  return pair;
}

std::string FormatPublicKeyFile(const MinisignPublicKey& key) {
  return "untrusted comment: minisign public key " + FormatMinisignKeyId(key.keyId) + "\n" +
         FormatMinisignPublicKey(key) + "\n";
}

std::optional<MinisignPublicKey> ReadPublicKeyText(std::string_view text) {
  return ParseMinisignPublicKey(KeyLine(text));
}

std::string FormatSecretKeyFile(const MinisignSecretKey& key) {
  std::string bytes(kEd25519);
  bytes += kNoKdf;
  bytes += kBlake2b;
  // Without a password the salt and scrypt limits are not used.
  bytes.append(kSaltBytes + 8 + 8, '\0');
  bytes.append(key.keyId.begin(), key.keyId.end());
  bytes.append(key.secret.begin(), key.secret.end());
  bytes += Checksum(key);
  return "untrusted comment: minisign secret key " + FormatMinisignKeyId(key.keyId) + "\n" +
         EncodeBase64(bytes) + "\n";
}

bool SecretKeyIsEncrypted(std::string_view text) {
  std::optional<std::string> bytes = SecretKeyBytes(text);
  return bytes && bytes->compare(2, 2, kScrypt) == 0;
}

SecretKeyReading ReadSecretKeyFile(std::string_view text,
                                   const std::optional<std::string>& password) {
  SecretKeyReading reading;
  std::optional<std::string> bytes = SecretKeyBytes(text);
  if (!bytes || sodium_init() < 0) return reading;
  std::string kdf = bytes->substr(2, 2);
  std::string keyNum = bytes->substr(kKdfHeaderBytes);
  if (kdf == kScrypt) {
    if (!password) {
      reading.status = SecretKeyStatus::NeedsPassword;
      return reading;
    }
    const char* salt = bytes->data() + 6;
    std::uint64_t opsLimit = LoadLittleEndian64(salt + kSaltBytes);
    std::uint64_t memLimit = LoadLittleEndian64(salt + kSaltBytes + 8);
    std::vector<unsigned char> stream(kKeyNumBytes);
    if (crypto_pwhash_scryptsalsa208sha256(stream.data(), stream.size(), password->data(),
                                           password->size(),
                                           reinterpret_cast<const unsigned char*>(salt), opsLimit,
                                           static_cast<std::size_t>(memLimit)) != 0) {
      return reading;
    }
    for (std::size_t i = 0; i < keyNum.size(); ++i) keyNum[i] ^= static_cast<char>(stream[i]);
    sodium_memzero(stream.data(), stream.size());
  } else if (kdf != kNoKdf) {
    return reading;
  }
  std::copy_n(keyNum.begin(), reading.key.keyId.size(), reading.key.keyId.begin());
  std::copy_n(keyNum.begin() + 8, reading.key.secret.size(), reading.key.secret.begin());
  std::string_view checksum = std::string_view(keyNum).substr(8 + 64, kChecksumBytes);
  // minisign leaves the checksum of a key without a password zero.
  bool unchecked = kdf == kNoKdf && checksum.find_first_not_of('\0') == std::string_view::npos;
  bool intact = unchecked || checksum == Checksum(reading.key);
  sodium_memzero(keyNum.data(), keyNum.size());
  if (!intact) {
    reading.key = {};
    reading.status = kdf == kScrypt ? SecretKeyStatus::WrongPassword : SecretKeyStatus::Malformed;
    return reading;
  }
  reading.status = SecretKeyStatus::Ok;
  return reading;
}

std::optional<MinisignSignature> SignMinisign(const MinisignSecretKey& key,
                                              std::string_view message, MinisignAlgorithm algorithm,
                                              std::string untrustedComment,
                                              std::string trustedComment) {
  auto hasLineBreak = [](const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
  };
  if (sodium_init() < 0 || hasLineBreak(untrustedComment) || hasLineBreak(trustedComment)) {
    return std::nullopt;
  }
  MinisignSignature signature;
  signature.algorithm = algorithm;
  signature.keyId = key.keyId;
  signature.untrustedComment = std::move(untrustedComment);
  signature.trustedComment = std::move(trustedComment);
  std::string signedBytes = MinisignSignedBytes(algorithm, message);
  if (algorithm == MinisignAlgorithm::Prehashed && signedBytes.empty()) return std::nullopt;
  if (!Sign(key, signedBytes, signature.signature) ||
      !Sign(key, MinisignGlobalBytes(signature), signature.globalSignature)) {
    return std::nullopt;
  }
  return signature;
}
