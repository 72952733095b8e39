#include "update/manifest_signature.h"

#include <optional>

#include "files/sha256_digest.h"
#include "platform/text_codec.h"
#include "platform/tick_count.h"
#include "platform/trace.h"
#include "update/cache_buster.h"
#include "update/sibling_address.h"

namespace {

// The key whose id the signature names tells best what is wrong; a
// signature that names none of them was made with another key.
SignatureCheck VerifyWithAnyKey(const std::vector<MinisignPublicKey>& keys,
                                const MinisignSignature& signature, std::string_view message) {
  SignatureCheck best = SignatureCheck::OtherKey;
  for (const MinisignPublicKey& key : keys) {
    SignatureCheck check = VerifyMinisignSignature(key, signature, message);
    if (check == SignatureCheck::Valid) return check;
    if (check != SignatureCheck::OtherKey) best = check;
  }
  return best;
}

}  // namespace

std::wstring SignatureAddress(const std::wstring& manifestUrl) {
  return SiblingAddress(manifestUrl, L".minisig");
}

void TraceManifestRefusal(const UpdateContext& context, std::string_view reason) {
  context.trace->Write(L"\n更新信息校验失败：" + platform::DecodeUtf8(reason));
}

SignatureCheck CheckManifestSignature(const UpdateContext& context,
                                      const std::vector<MinisignPublicKey>& keys,
                                      const std::wstring& manifestUrl,
                                      const std::wstring& signaturePath,
                                      std::string_view manifestBytes) {
  std::wstring address = AppendCacheBuster(SignatureAddress(manifestUrl), platform::TickCount());
  std::string signature;
  const platform::ArchiveFiles& files = *context.archiveFiles;
  if (!DownloadFile(*context.transport, files, address, signaturePath, nullptr,
                    context.manifestRules)
           .Ok() ||
      files.ReadWholeFile(signaturePath, kMaxMinisignSignatureBytes, signature) !=
          platform::ReadStatus::Ok) {
    TraceManifestRefusal(context, "no signature");
    return SignatureCheck::Malformed;
  }
  std::optional<MinisignSignature> parsed = ParseMinisignSignature(signature);
  SignatureCheck check =
      parsed ? VerifyWithAnyKey(keys, *parsed, manifestBytes) : SignatureCheck::Malformed;
  if (check != SignatureCheck::Valid) TraceManifestRefusal(context, SignatureCheckName(check));
  return check;
}

bool PinsPackage(const PackageManifest& manifest) {
  return manifest.packageSha256 != nullptr && IsSha256Hex(manifest.packageSha256);
}
