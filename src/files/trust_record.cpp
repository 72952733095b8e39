#include "files/trust_record.h"

#include "files/json_document.h"
#include "files/key_list.h"
#include "files/package_manifest.h"
#include "files/sha256_digest.h"
#include "platform/file_system.h"

namespace {

// A record names a version and a few keys: a few hundred bytes.
constexpr std::size_t kMaxTrustFileBytes = 64 * 1024;

}  // namespace

std::optional<TrustRecord> ParseTrustRecord(const std::string& text) {
  JsonDocument document = JsonDocument::Parse(text);
  if (!document.IsObject()) return std::nullopt;
  TrustRecord record;
  if (const cJSON* version = document.Get("version")) {
    record.version = ParseVersionNumber(version);
    const char* sha256 = document.GetString("manifest_sha256");
    if (!record.version || sha256 == nullptr || !IsSha256Hex(sha256)) return std::nullopt;
    record.manifestSha256 = sha256;
  } else if (document.Has("manifest_sha256")) {
    return std::nullopt;
  }
  if (const cJSON* keys = document.Get("update_keys")) {
    std::optional<std::vector<MinisignPublicKey>> list = ParseKeyList(keys);
    if (!list) return std::nullopt;
    record.keys = std::move(*list);
  }
  return record;
}

std::string FormatTrustRecord(const TrustRecord& record) {
  std::string members;
  if (record.version) {
    members += "\"version\": " + std::to_string(*record.version) + ", \"manifest_sha256\": \"" +
               record.manifestSha256 + "\"";
  }
  if (!record.keys.empty()) {
    if (!members.empty()) members += ", ";
    members += "\"update_keys\": [";
    for (std::size_t i = 0; i < record.keys.size(); ++i) {
      if (i != 0) members += ", ";
      members += "\"" + FormatMinisignPublicKey(record.keys[i]) + "\"";
    }
    members += "]";
  }
  return "{" + members + "}\n";
}

TrustFileReading ReadTrustFile(const platform::ArchiveFiles& files, const std::wstring& path) {
  TrustFileReading reading;
  std::string text;
  platform::ReadStatus status = files.ReadWholeFile(path, kMaxTrustFileBytes, text);
  if (status == platform::ReadStatus::Missing) {
    reading.status = TrustFileStatus::Missing;
    return reading;
  }
  std::optional<TrustRecord> record =
      status == platform::ReadStatus::Ok ? ParseTrustRecord(text) : std::nullopt;
  if (!record) return reading;
  reading.status = TrustFileStatus::Ok;
  reading.record = std::move(*record);
  return reading;
}

bool WriteTrustFile(const platform::ArchiveFiles& files, const std::wstring& path,
                    const TrustRecord& record) {
  return files.ReplaceFileContents(path, FormatTrustRecord(record)).Ok();
}
