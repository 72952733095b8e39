// A package manifest: where the client package is and where its executable
// lies once unpacked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/json_document.h"
#include "files/minisign_key.h"

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
  // The chunk index beside the package: "chunks_size", its bytes, and
  // "chunks_sha256" (hex). The size is none when absent or no byte count.
  std::optional<std::uint64_t> chunksSize;
  const char* chunksSha256 = nullptr;
  // "mirrors": further addresses of the same package, in the order they are
  // tried after "client_url"; its items that are no strings are left out.
  // Point into `document`.
  std::vector<const char*> mirrors;

  // What guards a signed manifest against replays and freezes: "version", a
  // positive integer up to 2^53; "expires", a UTC time in seconds; and
  // "update_keys", the keys that sign from now on. Each none when absent.
  std::optional<std::uint64_t> version;
  std::optional<std::int64_t> expires;
  std::optional<std::vector<MinisignPublicKey>> updateKeys;
  // The first of those three members that is there but not of its form;
  // null when all are well.
  const char* malformedMember = nullptr;

  bool IsUsable() const { return clientUrl != nullptr && exePath != nullptr; }
};

// A "version" value: a positive integer JSON number up to 2^53; none for
// anything else.
std::optional<std::uint64_t> ParseVersionNumber(const cJSON* item);

// Parses the manifest text and looks up "client_url", then "exe_path", then
// the package's size and hash, its files, its chunk index, and the members
// that guard signed manifests.
PackageManifest ParsePackageManifest(const std::string& text);
