#include "update/kept_package.h"

#include <string>

#include "files/sha256_digest.h"
#include "platform/file_system.h"

namespace {

std::string ManifestDigest(std::string_view manifestText) {
  Sha256Hasher hasher;
  hasher.Update(manifestText.data(), manifestText.size());
  return hasher.FinishHex();
}

}  // namespace

bool MarkPackageOf(const ClientRoot& root, std::string_view manifestText) {
  return platform::ReplaceFileContents(root.KeptPackageRecord(), ManifestDigest(manifestText)).Ok();
}

bool IsPackageOf(const ClientRoot& root, std::string_view manifestText) {
  if (platform::GetPathKind(root.Package()) != platform::PathKind::File) return false;
  std::string recorded;
  constexpr std::size_t kHexDigits = 64;
  return platform::ReadWholeFile(root.KeptPackageRecord(), kHexDigits, recorded) ==
             platform::ReadStatus::Ok &&
         recorded == ManifestDigest(manifestText);
}

void DropPackage(const ClientRoot& root) {
  platform::RemoveFile(root.KeptPackageRecord());
  platform::RemoveFile(root.Package());
}
