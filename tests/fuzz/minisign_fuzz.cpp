// libFuzzer target: the first line is a public key line, the rest a
// signature file, both as a server or an operator hands them over. What
// parses must write out and read back the same, and verifying must only
// answer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/minisign_key.h"
#include "files/minisign_signature.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

MinisignPublicKey CheckKey(std::string_view line) {
  std::optional<MinisignPublicKey> key = ParseMinisignPublicKey(line);
  if (!key) return {};
  std::optional<MinisignPublicKey> again = ParseMinisignPublicKey(FormatMinisignPublicKey(*key));
  if (!again || again->keyId != key->keyId || again->key != key->key) {
    Fail("a key does not read back");
  }
  FormatMinisignKeyId(key->keyId);
  return *key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t lineEnd = text.find('\n');
  if (lineEnd == std::string_view::npos) return 0;
  MinisignPublicKey key = CheckKey(text.substr(0, lineEnd));
  std::string_view file = text.substr(lineEnd + 1);
  std::optional<MinisignSignature> signature = ParseMinisignSignature(file);
  if (!signature) return 0;
  std::optional<MinisignSignature> again =
      ParseMinisignSignature(FormatMinisignSignature(*signature));
  if (!again || again->algorithm != signature->algorithm || again->keyId != signature->keyId ||
      again->signature != signature->signature ||
      again->globalSignature != signature->globalSignature) {
    Fail("a signature does not read back");
  }
  SignatureCheck check = VerifyMinisignFile(key, file, "manifest");
  if (check == SignatureCheck::Malformed) Fail("a parsed signature counts as malformed");
  return 0;
}
