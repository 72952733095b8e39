// The update that fetches only what changed: the new package's central
// directory by range requests, compared with the installed client, then only
// the entries that differ, into a sparse local copy of the package that the
// reader unpacks as it would the whole one.
#pragma once

#include <functional>
#include <string>

#include "files/package_manifest.h"
#include "platform/archive_files.h"
#include "platform/http_transport.h"
#include "platform/trace.h"
#include "update/download_progress.h"
#include "update/download_rules.h"

struct DeltaUpdate {
  platform::HttpTransport& transport;
  // Every request obeys them, as the full download does.
  const DownloadRules& rules;
  const platform::ArchiveFiles& files;
  platform::Trace& trace;
  // Hears the bytes fetched against the bytes to fetch; may be null.
  DownloadProgress* progress;
  std::wstring packageUrl;
  // The sparse copy; removed again whatever happens.
  std::wstring copyPath;
  std::wstring clientDirectory;
  // Its "package_size" must be the package's, when named. A manifest that
  // pins the package ("package_sha256", which a signed one always names) or
  // lists its "files" must list every file the package holds: the directory
  // must hold exactly those, and every entry kept or fetched must be the size
  // and SHA-256 listed. Only a manifest that names neither leaves the check to
  // the directory's CRC-32.
  const PackageManifest& manifest;
  // Called once before the first file is written; false stops the update.
  std::function<bool()> markInProgress;
};

// True when every entry of the new package is installed: the ones that
// matched kept, the others fetched and unpacked. False, with the reason in
// the trace, whenever anything is in doubt (no earlier install, a server
// without ranges, a package that changed between requests, a directory that
// does not parse or leaves out a listed file, an entry that fails its CRC-32
// or its listed SHA-256, more than half the package to fetch): the whole
// package must then be downloaded and installed.
bool InstallChangedEntries(const DeltaUpdate& update);
