// The update that fetches only what changed: the new package's central
// directory by range requests, compared with the installed client, then only
// the entries that differ, into a sparse local copy of the package that the
// reader unpacks as it would the whole one. Entries the package's chunk index
// lists are fetched by their missing chunks only.
#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <string>

#include "files/package_manifest.h"
#include "platform/archive_files.h"
#include "platform/trace.h"
#include "update/client_applier.h"
#include "update/package_fetcher.h"

struct DeltaUpdate {
  // Every byte of the package comes through it, from the address it names,
  // under the package's rules.
  PackageFetcher& fetcher;
  const platform::ArchiveFiles& files;
  platform::Trace& trace;
  // Every change to the installed client goes through it.
  ClientApplier& applier;
  // The sparse copy; removed again whatever happens.
  std::wstring copyPath;
  // Its "package_size" must be the package's, when named. A manifest that
  // pins the package ("package_sha256", which a signed one always names) or
  // lists its "files" must list every file the package holds: the directory
  // must hold exactly those, and every entry kept or fetched must be the size
  // and SHA-256 listed. Only a manifest that names neither leaves the check to
  // the directory's CRC-32.
  const PackageManifest& manifest;
  // Where the package's chunk index ("chunks_size", "chunks_sha256"; served
  // beside the package as "<package path>.chunks") is read, and where the
  // `n`th file built from chunks waits until it replaces the installed one.
  // Without either, entries are fetched whole.
  std::wstring chunkIndexPath;
  std::function<std::wstring(std::size_t n)> assembledPath;
  // Listed files (stored names) this run has just read and found to be the
  // listed bytes: kept without reading them again. May be null.
  const std::set<std::string>* verifiedFiles = nullptr;
};

enum class DeltaOutcome {
  // Every entry of the new package is installed: the ones that matched
  // kept, the others fetched and unpacked.
  Installed,
  // No earlier install to compare with.
  NoInstall,
  // A range request was refused or failed: a server without ranges, a
  // package that changed between requests, a transfer that broke.
  FetchFailed,
  // Not a package to update by its entries: a directory that does not parse,
  // is too large or leaves out a listed file, a zip64 archive, two entries of
  // one name, a package or entry that is not what the manifest lists.
  PackageRefused,
  // More than half of the package changed.
  TooMuchChanged,
  // Not enough free space for the changed entries.
  NoRoom,
  // The local copy could not be written or read, an entry did not unpack or
  // failed its CRC-32, or the installed manifest could not be removed.
  InstallFailed,
};

struct DeltaResult {
  DeltaOutcome outcome = DeltaOutcome::InstallFailed;
  // The reason the trace gives ("bad range", "12 of 20 bytes changed"), with
  // the system's cause when there is one; empty when installed or when there
  // was no earlier install.
  std::wstring reason;
  bool Installed() const { return outcome == DeltaOutcome::Installed; }
};

// Any outcome but `Installed`, which leaves its reason in the trace too,
// means that the whole package must be downloaded and installed: anything
// in doubt gives the range update up.
DeltaResult InstallChangedEntries(const DeltaUpdate& update);
