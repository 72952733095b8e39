#include "update/client_repair.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "files/entry_name.h"
#include "files/path_join.h"
#include "files/sha256_digest.h"
#include "platform/file_system.h"

namespace {

constexpr std::size_t kHashReadBytes = 1024 * 1024;

// Hashes `file` whole, counting each read into `hashed` for the bar.
bool HasDigest(platform::ArchiveStream& file, const std::string& sha256, std::uint64_t& hashed,
               std::uint64_t total, ProgressSteps& steps) {
  Sha256Hasher hasher;
  std::vector<char> buffer(kHashReadBytes);
  const std::uint64_t size = file.Size();
  for (std::uint64_t at = 0; at < size;) {
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
    if (file.ReadAt(at, buffer.data(), want) != want) return false;
    hasher.Update(buffer.data(), want);
    at += want;
    hashed += want;
    steps.Update(hashed, total);
  }
  return SameSha256Hex(hasher.FinishHex(), sha256);
}

}  // namespace

std::size_t CountDamagedFiles(const platform::ArchiveFiles& files,
                              const std::wstring& clientDirectory, const PackageManifest& manifest,
                              FileCheck check, DownloadProgress* progress,
                              std::set<std::string>* verified) {
  if (!manifest.files) return 0;
  std::uint64_t total = 0;
  for (const ManifestFile& listed : *manifest.files) total += listed.size;
  std::uint64_t hashed = 0;
  ProgressSteps steps(progress);
  std::size_t damaged = 0;
  for (const ManifestFile& listed : *manifest.files) {
    std::wstring name = CleanEntryName(DecodeEntryName(listed.name));
    while (!name.empty() && platform::IsPathSeparator(name.back())) name.pop_back();
    if (name.empty()) continue;
    std::optional<std::wstring> path = JoinPath(clientDirectory, name);
    std::unique_ptr<platform::ArchiveStream> file = path ? files.OpenArchive(*path) : nullptr;
    bool intact = file && file->Size() == listed.size;
    if (intact && check == FileCheck::Content) {
      std::uint64_t end = hashed + listed.size;
      intact = HasDigest(*file, listed.sha256, hashed, total, steps);
      hashed = end;
      if (intact && verified) verified->insert(listed.name);
    }
    if (!intact) ++damaged;
  }
  steps.Settle(hashed, total);
  return damaged;
}
