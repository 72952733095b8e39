// The check of the installed client against the manifest's "files". Every
// start looks at each listed file's size: a file an antivirus removed or a
// crash cut short is found at once and repaired by the range update before
// the game can start. A player's "--verify" run reads every listed file's
// bytes as well. Files the manifest does not list (a player's own mods) are
// not looked at.
#pragma once

#include <cstddef>
#include <set>
#include <string>

#include "files/package_manifest.h"
#include "platform/archive_files.h"
#include "update/download_progress.h"

enum class FileCheck {
  // Each file there with its listed size: a stat each.
  Size,
  // And its bytes' SHA-256 the listed one.
  Content,
};

// How many listed files of `clientDirectory` fail `check`; 0 when the
// manifest lists none. `progress` (may be null) hears the bytes hashed
// against all the listed bytes; `verified` (may be null) gets the stored
// names of the files whose bytes were read and found right.
std::size_t CountDamagedFiles(const platform::ArchiveFiles& files,
                              const std::wstring& clientDirectory, const PackageManifest& manifest,
                              FileCheck check = FileCheck::Size,
                              DownloadProgress* progress = nullptr,
                              std::set<std::string>* verified = nullptr);
