// Everything the two update workers share: the panel's state and window, the
// transport with the rules of both downloads, the archive files and the trace.
// Held by shared_ptr so the workers keep it alive however long they run.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/panel_state.h"
#include "core/panel_view.h"
#include "platform/archive_files.h"
#include "platform/http_transport.h"
#include "platform/trace.h"
#include "update/download_step.h"

// How one update run ended.
enum class UpdateOutcome {
  ClientCurrent,
  Installed,
  ManifestDownloadFailed,
  ManifestUnusable,
  // An update key is configured and the manifest's signature did not verify
  // with a trusted key, the signed manifest does not pin the package, or it
  // fails the rules of micro/trust.json (older, expired, ...).
  ManifestUnverified,
  PackageDownloadFailed,
  // The package's declared sizes exceed the free space; it is kept.
  DiskFull,
  InstallFailed,
};

struct UpdateContext {
  std::shared_ptr<PanelState> state;
  std::shared_ptr<PanelView> view;
  std::shared_ptr<platform::HttpTransport> transport;
  DownloadRules manifestRules = ManifestDownloadRules();
  DownloadRules packageRules = PackageDownloadRules();
  // Both outlive the workers: the launcher never destroys its services.
  const platform::ArchiveFiles* archiveFiles = nullptr;
  platform::Trace* trace = nullptr;
  // Called once, as the last act of the worker that ends the run; optional.
  std::function<void(UpdateOutcome)> onFinished;
};
