// micro/trust.json: what the launcher has come to trust through signed
// manifests, so that no later manifest can take it back.
//
//   {"version": 7, "manifest_sha256": "<hex>", "update_keys": ["RWQ...", ...]}
//
// Every member is optional; "manifest_sha256" comes with "version".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/minisign_key.h"
#include "platform/archive_files.h"

struct TrustRecord {
  // The highest manifest version accepted, and the SHA-256 (hex) of that
  // manifest's bytes as downloaded.
  std::optional<std::uint64_t> version;
  std::string manifestSha256;
  // The keys that signed manifests named; empty while the configuration's
  // keys are trusted.
  std::vector<MinisignPublicKey> keys;
};

// None when the text is not a record of that form in every detail.
std::optional<TrustRecord> ParseTrustRecord(const std::string& text);
std::string FormatTrustRecord(const TrustRecord& record);

enum class TrustFileStatus { Ok, Missing, Unreadable };
struct TrustFileReading {
  TrustFileStatus status = TrustFileStatus::Unreadable;
  // Empty unless Ok.
  TrustRecord record;
};
TrustFileReading ReadTrustFile(const platform::ArchiveFiles& files, const std::wstring& path);

// Replaces the file whole (temporary file, flushed, renamed), so a kill
// leaves either the old record or the new one.
bool WriteTrustFile(const platform::ArchiveFiles& files, const std::wstring& path,
                    const TrustRecord& record);
