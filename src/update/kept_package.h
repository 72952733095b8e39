// A whole package left for a later start (it did not fit the disk, or the
// run was killed while unpacking) is reused only when it provably belongs to
// the manifest in force: beside it lies the SHA-256 of that manifest's text.
#pragma once

#include <string_view>

#include "core/client_root.h"
#include "platform/archive_files.h"

// Records that the package of `root` is `manifestText`'s; written only once
// the package has passed the manifest's checks.
bool MarkPackageOf(const platform::ArchiveFiles& files, const ClientRoot& root,
                   std::string_view manifestText);

// True when the package of `root` is there and its record names
// `manifestText`.
bool IsPackageOf(const platform::ArchiveFiles& files, const ClientRoot& root,
                 std::string_view manifestText);

// Removes the record, then the package, so no package is ever left with the
// record of another.
void DropPackage(const platform::ArchiveFiles& files, const ClientRoot& root);
