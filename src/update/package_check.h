// The downloaded package against what the manifest says of its bytes.
#pragma once

#include <string>

#include "files/package_manifest.h"
#include "update/update_context.h"

// True when the package at `packagePath` has the manifest's "package_size"
// and "package_sha256", each checked only when the manifest names it. Traces
// what does not match. `knownSha256`, when not empty, is the package's
// SHA-256 taken as it was written, and spares reading it again.
bool PackageMatchesManifest(const UpdateContext& context, const std::wstring& packagePath,
                            const PackageManifest& manifest, const std::string& knownSha256);
