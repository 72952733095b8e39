// The client root directory "micro" beside the executable and the files the
// launcher keeps in it: the one place that spells their names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class ClientRoot {
 public:
  // The directory "micro" beside `executablePath`, ending with a separator;
  // empty when that path would exceed the platform's path limit.
  static std::optional<std::wstring> DirectoryBeside(std::wstring_view executablePath);

  // The files of the client root `directory`. Empty for an empty directory
  // (the files would land in the working directory) and when the longest of
  // the joined paths would exceed the platform's path limit, so no accessor
  // ever hands out a cut path.
  static std::optional<ClientRoot> At(std::wstring_view directory);

  // "pkg.json": the manifest of the installed client.
  const std::wstring& InstalledManifest() const { return installedManifest_; }
  // "pkg_tmp.json": the manifest as last downloaded.
  const std::wstring& DownloadedManifest() const { return downloadedManifest_; }
  // "pkg_tmp.json.minisig": the downloaded manifest's signature.
  const std::wstring& ManifestSignature() const { return manifestSignature_; }
  // "trust.json": what signed manifests have made the launcher trust.
  const std::wstring& TrustRecord() const { return trustRecord_; }
  // "GameClient.zip": the package, from its download to its install.
  const std::wstring& Package() const { return package_; }
  // The package while it downloads.
  std::wstring PackagePart() const;
  // Beside a kept package: the SHA-256 of the manifest it belongs to.
  std::wstring KeptPackageRecord() const;
  // The package's bytes gathered by an update of changed entries only.
  std::wstring PackageDeltaCopy() const;
  // The package's chunk index while an update of changed entries reads it.
  std::wstring PackageChunkIndex() const;
  // Where such an update builds its `n`th file from chunks before the file
  // replaces the installed one.
  std::wstring AssembledFile(std::size_t n) const;
  // "GameClient\": the installed client, ending with a separator.
  const std::wstring& ClientDirectory() const { return clientDirectory_; }
  // "launcher.lock": held by the one launcher that runs on this root.
  const std::wstring& LockFile() const { return lockFile_; }

 private:
  ClientRoot() = default;

  std::wstring installedManifest_;
  std::wstring downloadedManifest_;
  std::wstring manifestSignature_;
  std::wstring trustRecord_;
  std::wstring package_;
  std::wstring clientDirectory_;
  std::wstring lockFile_;
};

// Where a download keeps the bytes of `path` until they are whole.
std::wstring PartPathOf(std::wstring_view path);

// Beside that part: the validator of the version its bytes are of.
std::wstring PartValidatorPathOf(std::wstring_view path);
