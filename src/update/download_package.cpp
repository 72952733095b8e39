#include "update/download_package.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/client_root.h"
#include "platform/text_codec.h"
#include "platform/tick_count.h"
#include "update/bind_callback.h"
#include "update/cache_buster.h"
#include "update/delta_update.h"
#include "update/download_step.h"
#include "update/kept_package.h"
#include "update/package_check.h"
#include "update/package_install.h"
#include "update/speed_status.h"
#include "update/status_texts.h"
#include "update/update_report.h"

namespace {

// "pkg.json" is written last and replaced whole, so it names the new
// manifest only once every file of the package is in place.
bool RecordManifest(const UpdateContext& panel) {
  const PanelState& state = *panel.state;
  const char* text = state.m_newManifestText;
  if (text == nullptr || state.m_strPkgPath.empty()) return false;
  return panel.archiveFiles->ReplaceFileContents(state.m_strPkgPath, std::string_view(text)).Ok();
}

unsigned FinishInstall(const UpdateContext& panel, bool unpacked) {
  if (!unpacked || !RecordManifest(panel)) {
    ReportUpdateFailure(panel, kInstallFailedText, UpdateOutcome::InstallFailed);
    return 0;
  }
  panel.state->m_bUpdating = false;
  ShowStatus(panel, kCompletedText);
  FinishUpdate(panel, UpdateOutcome::Installed);
  return 0;
}

// The package's rules under the player's cap, for the full download and the
// range update alike.
DownloadRules PackageRules(const UpdateContext& panel) {
  return CappedRules(panel.packageRules, panel.state->config.downloadLimit);
}

// Over an earlier install, only the entries that changed are fetched; a
// download that is being resumed is continued instead.
bool InstallChangedEntriesOnly(const UpdateContext& panel, const std::wstring& packageUrl,
                               const ClientRoot& root, DownloadProgress* progress) {
  if (panel.archiveFiles->FileSize(root.PackagePart())) return false;
  const DownloadRules rules = PackageRules(panel);
  DeltaUpdate update{*panel.transport,
                     rules,
                     *panel.archiveFiles,
                     *panel.trace,
                     progress,
                     packageUrl,
                     root.PackageDeltaCopy(),
                     root.ClientDirectory(),
                     panel.state->manifest,
                     [&panel] { return MarkInstallInProgress(panel); },
                     root.PackageChunkIndex(),
                     [&root](std::size_t n) { return root.AssembledFile(n); }};
  return InstallChangedEntries(update).Installed();
}

// "client_url", then each of "mirrors": the addresses of the same package in
// the order they are tried, each with its own cache buster.
std::vector<std::wstring> PackageAddresses(const PanelState& state) {
  std::vector<std::wstring> addresses{platform::DecodeAnsi(state.ClientUrl())};
  for (const char* mirror : state.manifest.mirrors) {
    addresses.push_back(platform::DecodeAnsi(mirror));
  }
  for (std::wstring& address : addresses) {
    address = AppendCacheBuster(std::move(address), platform::TickCount());
  }
  return addresses;
}

// Names the address in use where there is a choice.
void TraceAddress(const UpdateContext& panel, const std::vector<std::wstring>& addresses,
                  std::size_t at) {
  if (addresses.size() > 1) panel.trace->Write(L"\npackage address: " + addresses[at]);
}

// Downloads the package from the first address that gives the one the
// manifest names, going on at the next when one fails or gives another.
// The SHA-256 taken as it was written (empty when not taken); none when no
// address gave it.
std::optional<std::string> DownloadFromAddresses(const UpdateContext& panel,
                                                 const std::vector<std::wstring>& addresses,
                                                 const ClientRoot& root,
                                                 DownloadProgress& progress) {
  const PackageManifest& manifest = panel.state->manifest;
  const platform::ArchiveFiles& files = *panel.archiveFiles;
  DownloadRules rules = PackageRules(panel);
  rules.sha256 = manifest.packageSha256 != nullptr;
  if (manifest.packageSize) rules.mostBytes = DeclaredSizeLimit(*manifest.packageSize);
  for (std::size_t at = 0; at < addresses.size(); ++at) {
    TraceAddress(panel, addresses, at);
    rules.retryUnreachable = at + 1 == addresses.size();
    DownloadResult download =
        DownloadFile(*panel.transport, files, addresses[at], root.Package(), &progress, rules);
    panel.trace->Write(L"\n" + DescribeDownload(download));
    if (download.Ok()) {
      if (PackageMatchesManifest(panel, root.Package(), manifest, download.sha256)) {
        return download.sha256;
      }
      DropPackage(files, root);
    } else if (download.error == DownloadError::FileError) {
      return std::nullopt;
    }
    // The next address continues the part only where the final SHA-256
    // catches a mix of two servers' bytes.
    rules.continueAnyPart = manifest.packageSha256 != nullptr;
    if (!rules.continueAnyPart) DropPartialDownload(files, root.Package());
  }
  return std::nullopt;
}

}  // namespace

unsigned DownloadPackageThreadProc(std::shared_ptr<const UpdateContext> context,
                                   bool packageReady) {
  const UpdateContext& panel = *context;
  PanelState& state = *panel.state;
  CBindCallback callback(panel);
  SpeedStatus progress(panel, callback);
  std::optional<ClientRoot> root = ClientRoot::At(state.m_strMicroDir);
  const std::vector<std::wstring> addresses = PackageAddresses(state);

  if (!root) {
    ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
    return 0;
  }
  if (!packageReady) {
    // Another manifest's package: never installed, and gone before a new one
    // can take its name.
    DropPackage(*panel.archiveFiles, *root);
    ShowProgressStrip(panel, true);
    for (std::size_t at = 0; at < addresses.size(); ++at) {
      TraceAddress(panel, addresses, at);
      if (InstallChangedEntriesOnly(panel, addresses[at], *root, &progress)) {
        ShowProgressStrip(panel, false);
        return FinishInstall(panel, true);
      }
    }
    std::optional<std::string> sha256 = DownloadFromAddresses(panel, addresses, *root, progress);
    if (!sha256) {
      ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
      return 0;
    }
    ShowProgressStrip(panel, false);
    // The speed is no news once the bytes are all here.
    if (progress.ShowsSpeed()) ShowStatus(panel, kUpdatingText);
  }
  // A package that is not the one the manifest names is never unpacked: a
  // downloaded one was checked as it came, a kept one is checked here.
  if (packageReady && !PackageMatchesManifest(panel, root->Package(), state.manifest, {})) {
    DropPackage(*panel.archiveFiles, *root);
    ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
    return 0;
  }
  // Without the record a kept package is downloaded again at the next start:
  // a cost, never a wrong install, so a failure to write it is no failure.
  if (!packageReady) MarkPackageOf(*panel.archiveFiles, *root, state.manifestText);

  panel.trace->Write(L"\n");
  InstallResult installed = InstallPackage(panel, root->Package(), root->ClientDirectory());
  if (installed == InstallResult::NoRoom) {
    // Kept, so the next start need not download it again.
    ReportUpdateFailure(panel, kDiskFullText, UpdateOutcome::DiskFull);
    return 0;
  }
  DropPackage(*panel.archiveFiles, *root);
  panel.trace->Write(L"解压完成");
  return FinishInstall(panel, installed == InstallResult::Installed);
}
