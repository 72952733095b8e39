// A whole package left for a later start (it did not fit the disk, or the
// run was killed while unpacking) is reused only when it provably belongs to
// the manifest in force: beside it lies the SHA-256 of that manifest's text.
#pragma once

#include <string>
#include <string_view>

// Records that the package at `packagePath` is `manifestText`'s; written only
// once the package has passed the manifest's checks.
bool MarkPackageOf(const std::wstring& packagePath, std::string_view manifestText);

// True when a package lies at `packagePath` and its record names
// `manifestText`.
bool IsPackageOf(const std::wstring& packagePath, std::string_view manifestText);

// Removes the record, then the package, so no package is ever left with the
// record of another.
void DropPackage(const std::wstring& packagePath);
