// The quick check of the installed client that every start makes when its
// manifest lists "files": a file an antivirus removed or a crash cut short
// is found with one look at each file's size, and repaired by the range
// update before the game can start. Files the manifest does not list (a
// player's own mods) are not looked at.
#pragma once

#include <cstddef>
#include <string>

#include "files/package_manifest.h"
#include "platform/archive_files.h"

// How many listed files are missing from `clientDirectory` or have another
// size; 0 when the manifest lists none.
std::size_t CountDamagedFiles(const platform::ArchiveFiles& files,
                              const std::wstring& clientDirectory, const PackageManifest& manifest);
