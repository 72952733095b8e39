#include "files/minisign_signature.h"

#include <sodium.h>

#include <algorithm>
#include <vector>

namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment: ";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";
constexpr std::string_view kLegacy = "Ed";
constexpr std::string_view kPrehashed = "ED";

// The text's lines without their LF or CR LF ends; a last line without an
// end counts too.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool VerifyEd25519(const Ed25519Signature& signature, std::string_view message,
                   const MinisignPublicKey& key) {
  return crypto_sign_ed25519_verify_detached(signature.data(),
                                             reinterpret_cast<const unsigned char*>(message.data()),
                                             message.size(), key.key.data()) == 0;
}

}  // namespace

std::optional<MinisignSignature> ParseMinisignSignature(std::string_view text) {
  std::vector<std::string_view> lines = SplitLines(text);
  if (lines.size() < 4 || !StartsWith(lines[0], kUntrustedPrefix) ||
      !StartsWith(lines[2], kTrustedPrefix)) {
    return std::nullopt;
  }
  MinisignSignature signature;
  std::optional<std::string> first = DecodeBase64Exactly(
      lines[1], kLegacy.size() + signature.keyId.size() + signature.signature.size());
  std::optional<std::string> global =
      DecodeBase64Exactly(lines[3], signature.globalSignature.size());
  if (!first || !global) return std::nullopt;
  std::string_view algorithm = std::string_view(*first).substr(0, kLegacy.size());
  if (algorithm == kLegacy) {
    signature.algorithm = MinisignAlgorithm::Legacy;
  } else if (algorithm == kPrehashed) {
    signature.algorithm = MinisignAlgorithm::Prehashed;
  } else {
    return std::nullopt;
  }
  auto at = first->begin() + kLegacy.size();
  std::copy_n(at, signature.keyId.size(), signature.keyId.begin());
  std::copy_n(at + signature.keyId.size(), signature.signature.size(), signature.signature.begin());
  std::copy(global->begin(), global->end(), signature.globalSignature.begin());
  signature.untrustedComment = lines[0].substr(kUntrustedPrefix.size());
  signature.trustedComment = lines[2].substr(kTrustedPrefix.size());
  return signature;
}

std::string FormatMinisignSignature(const MinisignSignature& signature) {
  std::string first(signature.algorithm == MinisignAlgorithm::Legacy ? kLegacy : kPrehashed);
  first.append(signature.keyId.begin(), signature.keyId.end());
  first.append(signature.signature.begin(), signature.signature.end());
  std::string global(signature.globalSignature.begin(), signature.globalSignature.end());
  return std::string(kUntrustedPrefix) + signature.untrustedComment + "\n" + EncodeBase64(first) +
         "\n" + std::string(kTrustedPrefix) + signature.trustedComment + "\n" +
         EncodeBase64(global) + "\n";
}

std::string MinisignSignedBytes(MinisignAlgorithm algorithm, std::string_view message) {
  if (algorithm == MinisignAlgorithm::Legacy) return std::string(message);
  std::string hash(crypto_generichash_BYTES_MAX, '\0');
  if (crypto_generichash(reinterpret_cast<unsigned char*>(hash.data()), hash.size(),
                         reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                         nullptr, 0) != 0) {
    return {};
  }
  return hash;
}

std::string MinisignGlobalBytes(const MinisignSignature& signature) {
  std::string bytes(signature.signature.begin(), signature.signature.end());
  return bytes + signature.trustedComment;
}

SignatureCheck VerifyMinisignSignature(const MinisignPublicKey& key,
                                       const MinisignSignature& signature,
                                       std::string_view message) {
  if (sodium_init() < 0) return SignatureCheck::Unavailable;
  if (signature.keyId != key.keyId) return SignatureCheck::OtherKey;
  std::string signedBytes = MinisignSignedBytes(signature.algorithm, message);
  if (signature.algorithm == MinisignAlgorithm::Prehashed && signedBytes.empty()) {
    return SignatureCheck::Unavailable;
  }
  if (!VerifyEd25519(signature.signature, signedBytes, key)) return SignatureCheck::MessageAltered;
  if (!VerifyEd25519(signature.globalSignature, MinisignGlobalBytes(signature), key)) {
    return SignatureCheck::CommentAltered;
  }
  return SignatureCheck::Valid;
}

SignatureCheck VerifyMinisignFile(const MinisignPublicKey& key, std::string_view signatureFile,
                                  std::string_view message) {
  std::optional<MinisignSignature> signature = ParseMinisignSignature(signatureFile);
  if (!signature) return SignatureCheck::Malformed;
  return VerifyMinisignSignature(key, *signature, message);
}

const char* SignatureCheckName(SignatureCheck check) {
  switch (check) {
    case SignatureCheck::Valid:
      return "valid";
    case SignatureCheck::Malformed:
      return "not a minisign signature";
    case SignatureCheck::OtherKey:
      return "signed with another key";
    case SignatureCheck::MessageAltered:
      return "the signed file was altered";
    case SignatureCheck::CommentAltered:
      return "the trusted comment was altered";
    case SignatureCheck::Unavailable:
      return "libsodium unavailable";
  }
  return "";
}
