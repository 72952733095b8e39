// micro-pkg verify PUBLIC_KEY FILE: checks FILE.minisig as the launcher
// checks its manifest. PUBLIC_KEY is the key's base64 line or a public key
// file.
#include <cstdio>
#include <optional>

#include "command.h"
#include "command_arguments.h"
#include "files/file_text.h"
#include "files/minisign_signature.h"
#include "minisign_signer.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"

CommandResult RunVerify(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 2) return CommandResult::BadArguments;
  std::optional<MinisignPublicKey> key = PublicKeyArgument(arguments[0]);
  if (!key) {
    std::fprintf(stderr, "micro-pkg: not a minisign public key\n");
    return CommandResult::Failed;
  }
  std::string message;
  std::string signatureFile;
  if (platform::ReadWholeFile(arguments[1], 64 * 1024 * 1024, message) !=
          platform::ReadStatus::Ok ||
      platform::ReadWholeFile(arguments[1] + L".minisig", kMaxTextFileBytes, signatureFile) !=
          platform::ReadStatus::Ok) {
    std::fprintf(stderr, "micro-pkg: cannot read the file or its .minisig\n");
    return CommandResult::Failed;
  }
  std::optional<MinisignSignature> signature = ParseMinisignSignature(signatureFile);
  SignatureCheck check =
      signature ? VerifyMinisignSignature(*key, *signature, message) : SignatureCheck::Malformed;
  if (check != SignatureCheck::Valid) {
    std::fprintf(stderr, "micro-pkg: signature refused: %s\n", SignatureCheckName(check));
    return CommandResult::Failed;
  }
  std::printf("signature valid\ntrusted comment: %s\n", signature->trustedComment.c_str());
  return CommandResult::Ok;
}
