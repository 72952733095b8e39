// A package manifest: where the client package is and where its executable
// lies once unpacked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/json_document.h"

// One file of the package as "files" lists it.
struct ManifestFile {
  // The entry's name as stored (UTF-8, '/'-separated).
  std::string name;
  std::uint64_t size = 0;
  // Hex, as written.
  std::string sha256;
};

struct PackageManifest {
  JsonDocument document;
  // Point into `document`; null when absent or not a string.
  const char* clientUrl = nullptr;
  const char* exePath = nullptr;
  // What the package's bytes must be, when named: "package_size" (a number)
  // and "package_sha256" (hex text).
  std::optional<double> packageSize;
  const char* packageSha256 = nullptr;
  // "files": every file of the package; none when absent or when any of its
  // items lacks a string name and sha256 or a size.
  std::optional<std::vector<ManifestFile>> files;

  bool IsUsable() const { return clientUrl != nullptr && exePath != nullptr; }
};

// Parses the manifest text and looks up "client_url", then "exe_path", then
// the package's size and hash and its files.
PackageManifest ParsePackageManifest(const std::string& text);
