#include "files/package_manifest.h"

PackageManifest ParsePackageManifest(const std::string& text) {
  PackageManifest manifest;
  manifest.document = JsonDocument::Parse(text);
  manifest.clientUrl = manifest.document.GetString("client_url");
  manifest.exePath = manifest.document.GetString("exe_path");
  manifest.packageSize = manifest.document.GetNumber("package_size");
  manifest.packageSha256 = manifest.document.GetString("package_sha256");
  return manifest;
}
