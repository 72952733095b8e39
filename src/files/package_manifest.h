// A package manifest: where the client package is and where its executable
// lies once unpacked.
#pragma once

#include <optional>
#include <string>

#include "files/json_document.h"

struct PackageManifest {
  JsonDocument document;
  // Point into `document`; null when absent or not a string.
  const char* clientUrl = nullptr;
  const char* exePath = nullptr;
  // What the package's bytes must be, when named: "package_size" (a number)
  // and "package_sha256" (hex text).
  std::optional<double> packageSize;
  const char* packageSha256 = nullptr;

  bool IsUsable() const { return clientUrl != nullptr && exePath != nullptr; }
};

// Parses the manifest text and looks up "client_url", then "exe_path", then
// the package's size and hash.
PackageManifest ParsePackageManifest(const std::string& text);
