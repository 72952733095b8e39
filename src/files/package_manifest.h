// A package manifest: where the client package is and where its executable
// lies once unpacked.
#pragma once

#include <string>

#include "files/json_document.h"

struct PackageManifest {
  JsonDocument document;
  // Point into `document`; null when absent or not a string.
  const char* clientUrl = nullptr;
  const char* exePath = nullptr;

  bool IsUsable() const { return clientUrl != nullptr && exePath != nullptr; }
};

// Parses the manifest text and looks up "client_url", then "exe_path".
PackageManifest ParsePackageManifest(const std::string& text);
