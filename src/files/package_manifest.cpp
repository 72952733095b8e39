#include "files/package_manifest.h"

#include <cmath>

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

}  // namespace

PackageManifest ParsePackageManifest(const std::string& text) {
  PackageManifest manifest;
  manifest.document = JsonDocument::Parse(text);
  manifest.clientUrl = manifest.document.GetString("client_url");
  manifest.exePath = manifest.document.GetString("exe_path");
  manifest.packageSize = manifest.document.GetNumber("package_size");
  manifest.packageSha256 = manifest.document.GetString("package_sha256");
  manifest.files = ParseFiles(manifest.document.Get("files"));
  return manifest;
}
