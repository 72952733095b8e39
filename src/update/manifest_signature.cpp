#include "update/manifest_signature.h"

#include "files/sha256_digest.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "platform/tick_count.h"
#include "platform/trace.h"
#include "update/cache_buster.h"

namespace {

void TraceRefusal(const UpdateContext& context, std::string_view reason) {
  context.trace->Write(L"\n更新信息校验失败：" + platform::DecodeUtf8(reason));
}

}  // namespace

std::wstring SignatureAddress(const std::wstring& manifestUrl) {
  std::size_t pathEnd = manifestUrl.find_first_of(L"?#");
  if (pathEnd == std::wstring::npos) pathEnd = manifestUrl.size();
  std::wstring address = manifestUrl;
  address.insert(pathEnd, L".minisig");
  return address;
}

SignatureCheck CheckManifestSignature(const UpdateContext& context, const MinisignPublicKey& key,
                                      const std::wstring& manifestUrl,
                                      const std::wstring& signaturePath,
                                      std::string_view manifestBytes) {
  std::wstring address = AppendCacheBuster(SignatureAddress(manifestUrl), platform::TickCount());
  std::string signature;
  if (!DownloadFile(*context.transport, address, signaturePath, nullptr, context.manifestRules)
           .Ok() ||
      platform::ReadWholeFile(signaturePath, kMaxMinisignSignatureBytes, signature) !=
          platform::ReadStatus::Ok) {
    TraceRefusal(context, "no signature");
    return SignatureCheck::Malformed;
  }
  SignatureCheck check = VerifyMinisignFile(key, signature, manifestBytes);
  if (check != SignatureCheck::Valid) TraceRefusal(context, SignatureCheckName(check));
  return check;
}

bool PinsPackage(const PackageManifest& manifest) {
  return manifest.packageSha256 != nullptr && IsSha256Hex(manifest.packageSha256);
}
