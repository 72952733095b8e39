// The rules a signed manifest must pass against what earlier ones made the
// launcher trust: no older version, no other bytes under the same version,
// no version dropped, nothing expired. They decide on values alone; the
// caller reads and writes micro/trust.json and the clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/minisign_key.h"
#include "files/package_manifest.h"
#include "files/trust_record.h"

struct TrustJudgement {
  // Empty when the manifest is accepted; else why not, for the trace
  // ("version 5 is below 7").
  std::string refusal;
  // Refused because its time has passed: a clock set wrong is the likely
  // cause, which the player can mend.
  bool expired = false;
  // What to record once the manifest is accepted.
  TrustRecord next;
};

// `manifestSha256` is the hex SHA-256 of the manifest's bytes as
// downloaded; `now` the time in seconds since 1970 (UTC).
TrustJudgement JudgeManifest(const TrustRecord& record, const PackageManifest& manifest,
                             const std::string& manifestSha256, std::int64_t now);

// The keys a manifest must be signed by: those the last signed manifest
// named, else the configuration's.
const std::vector<MinisignPublicKey>& TrustedKeys(const TrustRecord& record,
                                                  const std::vector<MinisignPublicKey>& configured);
