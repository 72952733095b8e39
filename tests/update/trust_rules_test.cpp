// The rules of micro/trust.json on values: a record, a manifest's text and
// a clock, as the update check hands them over.
#include "update/trust_rules.h"

#include <gtest/gtest.h>

#include "files/utc_time.h"
#include "minisign_signer.h"

namespace {

constexpr std::int64_t kNow = 1800000000;
const std::string kShaA(64, 'a');
const std::string kShaB(64, 'b');

TrustRecord Accepted(std::uint64_t version, const std::string& sha256) {
  TrustRecord record;
  record.version = version;
  record.manifestSha256 = sha256;
  return record;
}

std::string Line(const MinisignPublicKey& key) {
  return FormatMinisignPublicKey(key);
}

std::string Judge(const TrustRecord& record, const std::string& members,
                  const std::string& sha256 = kShaA) {
  PackageManifest manifest = ParsePackageManifest("{\"client_url\":\"c\"" + members + "}");
  return JudgeManifest(record, manifest, sha256, kNow).refusal;
}

TEST(TrustRules, RefusesWhatWouldTakeTheClientBack) {
  TrustRecord seven = Accepted(7, kShaA);
  EXPECT_EQ(Judge(seven, ",\"version\":5"), "version 5 is below 7");
  EXPECT_EQ(Judge(seven, ",\"version\":7", kShaB), "version 7 was accepted with other bytes");
  EXPECT_EQ(Judge(seven, ""), "no version after version 7");
  EXPECT_EQ(Judge(seven, ",\"version\":7"), "");
  EXPECT_EQ(Judge(seven, ",\"version\":8", kShaB), "");
  // Before any versioned manifest, anything goes: the first one sets the floor.
  EXPECT_EQ(Judge(TrustRecord{}, ",\"version\":1"), "");
  EXPECT_EQ(Judge(TrustRecord{}, ""), "");
  for (const char* bad : {"0", "-3", "2.5", "\"9\"", "9007199254740994", "null"}) {
    EXPECT_EQ(Judge(TrustRecord{}, std::string(",\"version\":") + bad), "malformed version") << bad;
  }
  EXPECT_EQ(Judge(TrustRecord{}, ",\"version\":9007199254740992"), "");
}

TEST(TrustRules, RefusesAnExpiredManifestAsSuch) {
  PackageManifest manifest =
      ParsePackageManifest("{\"version\":9,\"expires\":\"" + FormatUtcTime(kNow) + "\"}");
  TrustJudgement judgement = JudgeManifest(Accepted(7, kShaA), manifest, kShaB, kNow);
  EXPECT_EQ(judgement.refusal, "expired at 2027-01-15T08:00:00Z");
  EXPECT_TRUE(judgement.expired);
  EXPECT_EQ(JudgeManifest(TrustRecord{}, manifest, kShaB, kNow - 1).refusal, "");
  EXPECT_EQ(Judge(TrustRecord{}, ",\"expires\":\"2027-01-15 08:00:00\""), "malformed expires");
  EXPECT_EQ(Judge(TrustRecord{}, ",\"expires\":\"2027-02-29T08:00:00Z\""), "malformed expires");
}

TEST(TrustRules, AcceptedManifestsRaiseTheFloorAndNameTheKeys) {
  MinisignPublicKey a = GenerateMinisignKeyPair()->publicKey;
  MinisignPublicKey b = GenerateMinisignKeyPair()->publicKey;
  std::vector<MinisignPublicKey> configured{a};
  TrustRecord record;
  EXPECT_EQ(Line(TrustedKeys(record, configured).at(0)), Line(a));
  PackageManifest rotating =
      ParsePackageManifest("{\"version\":4,\"update_keys\":[\"" + Line(b) + "\"]}");
  TrustJudgement judgement = JudgeManifest(record, rotating, kShaA, kNow);
  ASSERT_EQ(judgement.refusal, "");
  record = judgement.next;
  EXPECT_EQ(record.version, 4u);
  EXPECT_EQ(record.manifestSha256, kShaA);
  ASSERT_EQ(TrustedKeys(record, configured).size(), 1u);
  EXPECT_EQ(Line(TrustedKeys(record, configured)[0]), Line(b));
  // A manifest that names no keys leaves them; a refused one changes nothing.
  judgement = JudgeManifest(record, ParsePackageManifest("{\"version\":5}"), kShaB, kNow);
  EXPECT_EQ(judgement.next.version, 5u);
  EXPECT_EQ(Line(judgement.next.keys.at(0)), Line(b));
  judgement = JudgeManifest(
      record, ParsePackageManifest("{\"version\":3,\"update_keys\":[\"" + Line(a) + "\"]}"), kShaB,
      kNow);
  EXPECT_FALSE(judgement.refusal.empty());
  EXPECT_EQ(FormatTrustRecord(judgement.next), FormatTrustRecord(record));
  EXPECT_EQ(Judge(record, ",\"version\":6,\"update_keys\":[]"), "malformed update_keys");
}

}  // namespace
