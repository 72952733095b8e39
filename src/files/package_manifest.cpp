#include "files/package_manifest.h"

#include <cmath>

#include "files/key_list.h"
#include "files/utc_time.h"

namespace {

// A whole number of bytes that a JSON number (a double) holds exactly; any
// other value would not convert to a count.
bool IsByteCount(double value) {
  return value >= 0 && value <= 9007199254740992.0 && value == std::floor(value);
}

std::optional<std::vector<ManifestFile>> ParseFiles(const cJSON* list) {
  if (!cJSON_IsArray(list)) return std::nullopt;
  std::vector<ManifestFile> files;
  const cJSON* item = nullptr;
  cJSON_ArrayForEach(item, list) {
    const cJSON* name = cJSON_GetObjectItem(item, "name");
    const cJSON* size = cJSON_GetObjectItem(item, "size");
    const cJSON* sha256 = cJSON_GetObjectItem(item, "sha256");
    if (!cJSON_IsString(name) || !cJSON_IsNumber(size) || !cJSON_IsString(sha256) ||
        !IsByteCount(size->valuedouble)) {
      return std::nullopt;
    }
    files.push_back(
        {name->valuestring, static_cast<std::uint64_t>(size->valuedouble), sha256->valuestring});
  }
  return files;
}

std::optional<std::int64_t> ParseExpiry(const cJSON* item) {
  if (!cJSON_IsString(item)) return std::nullopt;
  return ParseUtcTime(item->valuestring);
}

}  // namespace

std::optional<std::uint64_t> ParseVersionNumber(const cJSON* item) {
  // JSON numbers are doubles: past 2^53 neighbouring integers become one.
  constexpr double kMostVersion = 9007199254740992.0;
  if (!cJSON_IsNumber(item)) return std::nullopt;
  double value = item->valuedouble;
  if (!(value >= 1 && value <= kMostVersion) ||
      value != static_cast<double>(static_cast<std::uint64_t>(value))) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(value);
}

PackageManifest ParsePackageManifest(const std::string& text) {
  PackageManifest manifest;
  manifest.document = JsonDocument::Parse(text);
  manifest.clientUrl = manifest.document.GetString("client_url");
  manifest.exePath = manifest.document.GetString("exe_path");
  manifest.packageSize = manifest.document.GetNumber("package_size");
  manifest.packageSha256 = manifest.document.GetString("package_sha256");
  manifest.files = ParseFiles(manifest.document.Get("files"));
  std::optional<double> chunksSize = manifest.document.GetNumber("chunks_size");
  if (chunksSize && IsByteCount(*chunksSize)) {
    manifest.chunksSize = static_cast<std::uint64_t>(*chunksSize);
  }
  manifest.chunksSha256 = manifest.document.GetString("chunks_sha256");
  const cJSON* mirrors = manifest.document.Get("mirrors");
  if (cJSON_IsArray(mirrors)) {
    for (const cJSON* mirror = mirrors->child; mirror != nullptr; mirror = mirror->next) {
      if (cJSON_IsString(mirror)) manifest.mirrors.push_back(mirror->valuestring);
    }
  }
  if (const cJSON* version = manifest.document.Get("version")) {
    manifest.version = ParseVersionNumber(version);
    if (!manifest.version) manifest.malformedMember = "version";
  }
  if (const cJSON* expires = manifest.document.Get("expires")) {
    manifest.expires = ParseExpiry(expires);
    if (!manifest.expires && !manifest.malformedMember) manifest.malformedMember = "expires";
  }
  if (const cJSON* keys = manifest.document.Get("update_keys")) {
    manifest.updateKeys = ParseKeyList(keys);
    if (!manifest.updateKeys && !manifest.malformedMember) manifest.malformedMember = "update_keys";
  }
  return manifest;
}
