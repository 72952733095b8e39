// The unpacking step of the package worker.
#pragma once

#include "platform/archive_files.h"
#include "update/update_context.h"

// Extracts every entry of the package below the client directory, tracing
// each entry's target path and name. `files` must outlive the workers.
PackageExtractor MakePackageExtractor(const platform::ArchiveFiles& files);
