// micro-pkg keygen PUBLIC_KEY_FILE SECRET_KEY_FILE: a new key pair in
// minisign's formats. The secret key has no password (as minisign -W makes
// it): keep it off the web server.
#include <cstdio>
#include <optional>

#include "command.h"
#include "minisign_signer.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"

int RunKeygen(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 2) return 2;
  const std::wstring& publicPath = arguments[0];
  const std::wstring& secretPath = arguments[1];
  for (const std::wstring& path : arguments) {
    if (platform::GetPathKind(path) != platform::PathKind::None) {
      std::fprintf(stderr, "micro-pkg: %s exists; a key is never overwritten\n",
                   platform::EncodeUtf8(path).c_str());
      return 1;
    }
  }
  std::optional<MinisignKeyPair> pair = GenerateMinisignKeyPair();
  if (!pair) {
    std::fprintf(stderr, "micro-pkg: libsodium cannot make a key\n");
    return 1;
  }
  if (!platform::ReplaceFileContents(secretPath, FormatSecretKeyFile(pair->secretKey)) ||
      !platform::ReplaceFileContents(publicPath, FormatPublicKeyFile(pair->publicKey))) {
    std::fprintf(stderr, "micro-pkg: cannot write the key files\n");
    return 1;
  }
  std::printf("key id %s\n\"update_key\": \"%s\"\n",
              FormatMinisignKeyId(pair->publicKey.keyId).c_str(),
              FormatMinisignPublicKey(pair->publicKey).c_str());
  return 0;
}
