// The package worker: downloads the client package with the progress bar,
// unpacks it into the client directory and records the new manifest.
#pragma once

#include <memory>

#include "update/update_context.h"

// The worker's body; always returns 0. Started by the update check once it
// has published the manifest values and the path of "pkg.json";
// `packageReady` when "GameClient.zip" is already the package of this
// manifest, which is then installed without downloading it again.
unsigned DownloadPackageThreadProc(std::shared_ptr<const UpdateContext> context, bool packageReady);
