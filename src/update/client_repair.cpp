#include "update/client_repair.h"

#include <memory>
#include <optional>

#include "files/entry_name.h"
#include "files/path_join.h"
#include "platform/file_system.h"

std::size_t CountDamagedFiles(const platform::ArchiveFiles& files,
                              const std::wstring& clientDirectory,
                              const PackageManifest& manifest) {
  if (!manifest.files) return 0;
  std::size_t damaged = 0;
  for (const ManifestFile& listed : *manifest.files) {
    std::wstring name = CleanEntryName(DecodeEntryName(listed.name));
    while (!name.empty() && platform::IsPathSeparator(name.back())) name.pop_back();
    if (name.empty()) continue;
    std::optional<std::wstring> path = JoinPath(clientDirectory, name);
    std::unique_ptr<platform::ArchiveStream> file = path ? files.OpenArchive(*path) : nullptr;
    if (!file || file->Size() != listed.size) ++damaged;
  }
  return damaged;
}
