#include "update/kept_package.h"

#include "files/sha256_digest.h"
#include "platform/file_system.h"

namespace {

std::wstring RecordPath(const std::wstring& packagePath) {
  return packagePath + L".manifest-sha256";
}

std::string ManifestDigest(std::string_view manifestText) {
  Sha256Hasher hasher;
  hasher.Update(manifestText.data(), manifestText.size());
  return hasher.FinishHex();
}

}  // namespace

bool MarkPackageOf(const std::wstring& packagePath, std::string_view manifestText) {
  return platform::ReplaceFileContents(RecordPath(packagePath), ManifestDigest(manifestText)).Ok();
}

bool IsPackageOf(const std::wstring& packagePath, std::string_view manifestText) {
  if (platform::GetPathKind(packagePath) != platform::PathKind::File) return false;
  std::string recorded;
  constexpr std::size_t kHexDigits = 64;
  return platform::ReadWholeFile(RecordPath(packagePath), kHexDigits, recorded) ==
             platform::ReadStatus::Ok &&
         recorded == ManifestDigest(manifestText);
}

void DropPackage(const std::wstring& packagePath) {
  platform::RemoveFile(RecordPath(packagePath));
  platform::RemoveFile(packagePath);
}
