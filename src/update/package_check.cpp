#include "update/package_check.h"

#include <memory>
#include <optional>

#include "files/sha256_digest.h"
#include "platform/archive_files.h"
#include "platform/text_codec.h"
#include "platform/trace.h"

bool PackageMatchesManifest(const UpdateContext& context, const std::wstring& packagePath,
                            const PackageManifest& manifest, const std::string& knownSha256) {
  if (!manifest.packageSize && manifest.packageSha256 == nullptr) return true;
  std::unique_ptr<platform::ArchiveStream> package = context.archiveFiles->OpenArchive(packagePath);
  if (!package) return false;
  if (manifest.packageSize && static_cast<double>(package->Size()) != *manifest.packageSize) {
    context.trace->Write(L"\n更新包大小不符：" + std::to_wstring(package->Size()));
    return false;
  }
  if (manifest.packageSha256 == nullptr) return true;
  std::optional<std::string> digest =
      knownSha256.empty() ? Sha256Hex(*package) : std::optional<std::string>(knownSha256);
  if (!digest || !SameSha256Hex(*digest, manifest.packageSha256)) {
    context.trace->Write(L"\n更新包 SHA-256 不符：" + platform::DecodeUtf8(digest.value_or("")));
    return false;
  }
  return true;
}
