// Writing client packages: zip archives with Unix modes, modification times
// and UTF-8 names, and the manifest that points at them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files/chunk_index.h"

struct ArchiveItem {
  // '/'-separated UTF-8 name; a directory's ends with '/'.
  std::string name;
  // The content: read from `source` when it is set, else `bytes`.
  std::optional<std::filesystem::path> source;
  std::string bytes;
  std::uint32_t unixMode = 0100644;
  // Seconds since 1970-01-01 UTC.
  std::int64_t modifiedTime = 0;
};

// Deflates every file (directories are stored) into a new archive at `path`.
// False, with no archive left behind, when anything could not be read or
// written.
bool WriteZipArchive(const std::filesystem::path& path, const std::vector<ArchiveItem>& items);

// The same, but each file of at least `chunkMin` bytes (none: no file) is
// deflated chunk by chunk (chunked_deflate.h), and the chunk index lists
// those entries with where their data lies in the archive. The index is
// empty when no entry was chunked or the archive needs zip64, which the
// launcher does not update by ranges.
std::optional<ChunkIndex> WriteChunkedZipArchive(const std::filesystem::path& path,
                                                 const std::vector<ArchiveItem>& items,
                                                 std::optional<std::uint64_t> chunkMin);

// Every file and directory below `directory`, in name order, as items that
// read their content from disk. None when the directory cannot be walked.
std::optional<std::vector<ArchiveItem>> CollectDirectory(const std::filesystem::path& directory);

// One file of the package as the manifest lists it, so that a signed
// manifest vouches for every entry the launcher keeps or fetches alone.
struct PackageFile {
  std::string name;
  std::uint64_t size = 0;
  // Lower-case hex.
  std::string sha256;
};

// Every file item's name, size and SHA-256 (directories have none); none when
// one cannot be read.
std::optional<std::vector<PackageFile>> DigestFiles(const std::vector<ArchiveItem>& items);

// What the manifest says of the package's bytes, so that a package rebuilt
// with other content always comes with another manifest text: the launcher
// installs only when the text changes.
struct PackageIdentity {
  std::uint64_t size = 0;
  std::uint32_t crc32 = 0;
  // Lower-case hex; the launcher checks it before unpacking.
  std::string sha256;
  // Listed as "files" when not empty.
  std::vector<PackageFile> files;
  // "chunks_size" and "chunks_sha256", the chunk index published beside the
  // package; listed when the digest is not empty.
  std::uint64_t chunksSize = 0;
  std::string chunksSha256{};
};
// None when the package cannot be read.
std::optional<PackageIdentity> IdentifyPackage(const std::filesystem::path& package);

// The manifest's executable path for `inClient`, a relative path inside the
// client directory: the launcher unpacks the package into "GameClient" below
// its client root and starts the executable from there.
std::string ManifestExePath(const std::filesystem::path& inClient);

// What a signed manifest says to stand against replays and freezes.
struct ManifestExtras {
  // "version": launchers with a key never accept a lower one.
  std::optional<std::uint64_t> version;
  // "expires", "YYYY-MM-DDTHH:MM:SSZ".
  std::optional<std::string> expires;
  // "update_keys": the keys that sign from this manifest on (base64 lines).
  std::vector<std::string> updateKeys;
  // "mirrors": further addresses of the same package, tried in this order.
  std::vector<std::string> mirrors;
};

// {"client_url", "exe_path", "version", "expires", "update_keys", "package_size",
// "package_sha256", "package_crc32", "chunks_size", "chunks_sha256",
// "files": [{"name", "size", "sha256"}, ...]},
// formatted by cJSON; the package's members only when `package` is given, the
// guards only when set.
std::string ManifestText(const std::string& clientUrl, const std::string& exePath,
                         const std::optional<PackageIdentity>& package,
                         const ManifestExtras& guards = {});
