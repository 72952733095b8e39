#include "update/manifest_trust.h"

#include <chrono>

#include "files/sha256_digest.h"
#include "platform/trace.h"
#include "update/manifest_signature.h"
#include "update/status_texts.h"
#include "update/trust_rules.h"

namespace {

std::string Sha256OfBytes(std::string_view bytes) {
  Sha256Hasher hasher;
  hasher.Update(bytes.data(), bytes.size());
  return hasher.FinishHex();
}

std::int64_t SecondsSinceEpoch() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

ManifestVerdict Refused(const UpdateContext& context, std::string_view reason,
                        const wchar_t* status = kManifestUnverifiedText) {
  TraceManifestRefusal(context, reason);
  return {status, std::nullopt};
}

}  // namespace

ManifestVerdict JudgeDownloadedManifest(const UpdateContext& context,
                                        const std::wstring& manifestUrl,
                                        const std::wstring& signaturePath,
                                        const std::wstring& trustPath, std::string_view bytes,
                                        const PackageManifest& manifest) {
  const std::vector<MinisignPublicKey>& configured = context.state->config.updateKeys;
  if (configured.empty()) {
    context.trace->Write(L"\n未配置更新公钥（update_key），更新未经校验");
    return {};
  }
  // Starting afresh from a record that cannot be read would forget the
  // version floor and the rotated keys: refused until it is mended.
  TrustFileReading trust = ReadTrustFile(*context.archiveFiles, trustPath);
  if (trust.status == TrustFileStatus::Unreadable) return Refused(context, "trust.json unreadable");
  if (CheckManifestSignature(context, TrustedKeys(trust.record, configured), manifestUrl,
                             signaturePath, bytes) != SignatureCheck::Valid) {
    return {kManifestUnverifiedText, std::nullopt};
  }
  if (!PinsPackage(manifest)) return Refused(context, "no package_sha256");
  TrustJudgement judgement =
      JudgeManifest(trust.record, manifest, Sha256OfBytes(bytes), SecondsSinceEpoch());
  if (!judgement.refusal.empty()) {
    return Refused(context, judgement.refusal,
                   judgement.expired ? kManifestExpiredText : kManifestUnverifiedText);
  }
  ManifestVerdict verdict;
  if (FormatTrustRecord(judgement.next) != FormatTrustRecord(trust.record)) {
    verdict.record = std::move(judgement.next);
  }
  return verdict;
}
