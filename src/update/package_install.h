// The unpacking step of the package worker.
#pragma once

#include <string>

#include "update/update_context.h"

enum class InstallResult {
  Installed,
  // The declared sizes exceed the free space: nothing was touched.
  NoRoom,
  Failed,
};

// Removes the installed manifest ("pkg.json"), so that an install cut short
// is done again at the next start; true when it is gone.
bool MarkInstallInProgress(const UpdateContext& context);

// Extracts every entry of the package below the client directory, tracing
// each entry's target path and name. Before the first file is touched the
// installed manifest ("pkg.json") is removed, so an install that fails or is
// cut short is done again at the next start, whatever the manifest says by
// then; the caller writes it anew once everything is in place.
InstallResult InstallPackage(const UpdateContext& context, const std::wstring& packagePath,
                             const std::wstring& clientDirectory);
