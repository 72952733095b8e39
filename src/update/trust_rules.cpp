#include "update/trust_rules.h"

#include "files/utc_time.h"

namespace {

std::string Refusal(const TrustRecord& record, const PackageManifest& manifest,
                    const std::string& manifestSha256, std::int64_t now) {
  if (manifest.malformedMember != nullptr) {
    return std::string("malformed ") + manifest.malformedMember;
  }
  if (manifest.expires && now >= *manifest.expires) {
    return "expired at " + FormatUtcTime(*manifest.expires);
  }
  if (!record.version) return {};
  std::string floor = std::to_string(*record.version);
  if (!manifest.version) return "no version after version " + floor;
  if (*manifest.version < *record.version) {
    return "version " + std::to_string(*manifest.version) + " is below " + floor;
  }
  if (*manifest.version == *record.version && manifestSha256 != record.manifestSha256) {
    return "version " + floor + " was accepted with other bytes";
  }
  return {};
}

}  // namespace

TrustJudgement JudgeManifest(const TrustRecord& record, const PackageManifest& manifest,
                             const std::string& manifestSha256, std::int64_t now) {
  TrustJudgement judgement;
  judgement.refusal = Refusal(record, manifest, manifestSha256, now);
  judgement.expired =
      manifest.malformedMember == nullptr && manifest.expires && now >= *manifest.expires;
  judgement.next = record;
  if (!judgement.refusal.empty()) return judgement;
  if (manifest.version) {
    judgement.next.version = manifest.version;
    judgement.next.manifestSha256 = manifestSha256;
  }
  if (manifest.updateKeys) judgement.next.keys = *manifest.updateKeys;
  return judgement;
}

const std::vector<MinisignPublicKey>& TrustedKeys(
    const TrustRecord& record, const std::vector<MinisignPublicKey>& configured) {
  return record.keys.empty() ? configured : record.keys;
}
