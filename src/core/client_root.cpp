#include "core/client_root.h"

#include <utility>

#include "files/path_join.h"

std::optional<std::wstring> ClientRoot::DirectoryBeside(std::wstring_view executablePath) {
  return JoinPath(DirectoryOf(executablePath), L"micro\\");
}

std::optional<ClientRoot> ClientRoot::At(std::wstring_view directory) {
  if (directory.empty()) return std::nullopt;
  ClientRoot root;
  const std::pair<std::wstring*, const wchar_t*> files[] = {
      {&root.installedManifest_, L"pkg.json"},
      {&root.downloadedManifest_, L"pkg_tmp.json"},
      {&root.manifestSignature_, L"pkg_tmp.json.minisig"},
      {&root.trustRecord_, L"trust.json"},
      {&root.package_, L"GameClient.zip"},
      {&root.clientDirectory_, L"GameClient\\"},
      {&root.lockFile_, L"launcher.lock"},
  };
  for (const auto& [path, name] : files) {
    std::optional<std::wstring> joined = JoinPath(directory, name);
    if (!joined) return std::nullopt;
    *path = std::move(*joined);
  }
  return root;
}

std::wstring ClientRoot::PackagePart() const {
  return PartPathOf(package_);
}

std::wstring ClientRoot::KeptPackageRecord() const {
  return package_ + L".manifest-sha256";
}

std::wstring ClientRoot::PackageDeltaCopy() const {
  return package_ + L".delta";
}

std::wstring ClientRoot::PackageChunkIndex() const {
  return package_ + L".chunks";
}

std::wstring ClientRoot::AssembledFile(std::size_t n) const {
  return package_ + L".assembled" + std::to_wstring(n);
}

std::wstring PartPathOf(std::wstring_view path) {
  return std::wstring(path) + L".part";
}

std::wstring PartValidatorPathOf(std::wstring_view path) {
  return PartPathOf(path) + L".validator";
}
