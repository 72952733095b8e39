#include "update/kept_package.h"

#include <string>

#include "files/sha256_digest.h"

namespace {

std::string ManifestDigest(std::string_view manifestText) {
  Sha256Hasher hasher;
  hasher.Update(manifestText.data(), manifestText.size());
  return hasher.FinishHex();
}

}  // namespace

bool MarkPackageOf(const platform::ArchiveFiles& files, const ClientRoot& root,
                   std::string_view manifestText) {
  return files.ReplaceFileContents(root.KeptPackageRecord(), ManifestDigest(manifestText)).Ok();
}

bool IsPackageOf(const platform::ArchiveFiles& files, const ClientRoot& root,
                 std::string_view manifestText) {
  if (files.GetPathKind(root.Package()) != platform::PathKind::File) return false;
  std::string recorded;
  constexpr std::size_t kHexDigits = 64;
  return files.ReadWholeFile(root.KeptPackageRecord(), kHexDigits, recorded) ==
             platform::ReadStatus::Ok &&
         recorded == ManifestDigest(manifestText);
}

void DropPackage(const platform::ArchiveFiles& files, const ClientRoot& root) {
  files.RemoveFile(root.KeptPackageRecord());
  files.RemoveFile(root.Package());
}
