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
#include "update/client_applier.h"
#include "update/delta_update.h"
#include "update/kept_package.h"
#include "update/package_check.h"
#include "update/package_fetcher.h"
#include "update/speed_status.h"
#include "update/status_texts.h"
#include "update/update_report.h"

namespace {

unsigned FinishInstall(const UpdateContext& panel, ClientApplier& applier, bool unpacked) {
  const char* text = panel.state->m_newManifestText;
  if (!unpacked || text == nullptr || !applier.Finish(text)) {
    ReportUpdateFailure(panel, kInstallFailedText, UpdateOutcome::InstallFailed);
    return 0;
  }
  panel.state->m_bUpdating = false;
  ShowStatus(panel, kCompletedText);
  FinishUpdate(panel, UpdateOutcome::Installed);
  return 0;
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

// Every way of fetching the package goes through the addresses alike: in
// order, each named in the trace where there is a choice, with the package's
// rules under the player's cap. `attempt` is told whether the address is the
// last; its true ends the walk.
class PackageAddressWalk {
 public:
  PackageAddressWalk(const UpdateContext& panel, DownloadProgress& progress)
      : panel_(panel),
        progress_(progress),
        addresses_(PackageAddresses(*panel.state)),
        rules_(CappedRules(panel.packageRules, panel.state->config.downloadLimit)) {}

  const DownloadRules& Rules() const { return rules_; }

  template <typename Attempt>
  bool Walk(const Attempt& attempt) {
    for (std::size_t at = 0; at < addresses_.size(); ++at) {
      if (addresses_.size() > 1) panel_.trace->Write(L"\npackage address: " + addresses_[at]);
      PackageFetcher fetcher(*panel_.transport, *panel_.archiveFiles, rules_, addresses_[at],
                             &progress_);
      if (attempt(fetcher, at + 1 == addresses_.size())) return true;
    }
    return false;
  }

 private:
  const UpdateContext& panel_;
  DownloadProgress& progress_;
  std::vector<std::wstring> addresses_;
  DownloadRules rules_;
};

// Over an earlier install, only the entries that changed are fetched; a
// download that is being resumed is continued instead.
bool InstallChangedEntriesOnly(const UpdateContext& panel, PackageFetcher& fetcher,
                               ClientApplier& applier, const ClientRoot& root) {
  if (panel.archiveFiles->FileSize(root.PackagePart())) return false;
  DeltaUpdate update{fetcher,
                     *panel.archiveFiles,
                     *panel.trace,
                     applier,
                     root.PackageDeltaCopy(),
                     panel.state->manifest,
                     root.PackageChunkIndex(),
                     [&root](std::size_t n) { return root.AssembledFile(n); },
                     &panel.state->verifiedFiles};
  return InstallChangedEntries(update).Installed();
}

// Downloads the package from the first address that gives the one the
// manifest names, going on at the next when one fails or gives another.
// The SHA-256 taken as it was written (empty when not taken); none when no
// address gave it.
std::optional<std::string> DownloadWhole(const UpdateContext& panel, PackageAddressWalk& walk,
                                         const ClientRoot& root) {
  const PackageManifest& manifest = panel.state->manifest;
  const platform::ArchiveFiles& files = *panel.archiveFiles;
  DownloadRules rules = walk.Rules();
  rules.sha256 = manifest.packageSha256 != nullptr;
  if (manifest.packageSize) rules.mostBytes = DeclaredSizeLimit(*manifest.packageSize);
  std::optional<std::string> sha256;
  bool fileFailed = false;
  walk.Walk([&](PackageFetcher& fetcher, bool last) {
    rules.retryUnreachable = last;
    DownloadResult download = fetcher.FetchWhole(root.Package(), rules);
    panel.trace->Write(L"\n" + DescribeDownload(download));
    if (download.Ok()) {
      if (PackageMatchesManifest(panel, root.Package(), manifest, download.sha256)) {
        sha256 = download.sha256;
        return true;
      }
      DropPackage(files, root);
    } else if (download.error == DownloadError::FileError) {
      fileFailed = true;
      return true;
    }
    // The next address continues the part only where the final SHA-256
    // catches a mix of two servers' bytes.
    rules.continueAnyPart = manifest.packageSha256 != nullptr;
    if (!rules.continueAnyPart) DropPartialDownload(files, root.Package());
    return false;
  });
  if (fileFailed) return std::nullopt;
  return sha256;
}

}  // namespace

unsigned DownloadPackageThreadProc(std::shared_ptr<const UpdateContext> context,
                                   bool packageReady) {
  const UpdateContext& panel = *context;
  PanelState& state = *panel.state;
  CBindCallback callback(panel);
  SpeedStatus progress(panel, callback);
  std::optional<ClientRoot> root = ClientRoot::At(state.m_strMicroDir);
  if (!root) {
    ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
    return 0;
  }
  ClientApplier applier(*panel.archiveFiles, *panel.trace, root->ClientDirectory(),
                        state.m_strPkgPath);
  PackageAddressWalk walk(panel, progress);

  if (!packageReady) {
    // Another manifest's package: never installed, and gone before a new one
    // can take its name.
    DropPackage(*panel.archiveFiles, *root);
    ShowProgressStrip(panel, true);
    if (walk.Walk([&](PackageFetcher& fetcher, bool) {
          return InstallChangedEntriesOnly(panel, fetcher, applier, *root);
        })) {
      ShowProgressStrip(panel, false);
      return FinishInstall(panel, applier, true);
    }
    std::optional<std::string> sha256 = DownloadWhole(panel, walk, *root);
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
  InstallResult installed = applier.InstallWhole(root->Package());
  if (installed == InstallResult::NoRoom) {
    // Kept, so the next start need not download it again.
    ReportUpdateFailure(panel, kDiskFullText, UpdateOutcome::DiskFull);
    return 0;
  }
  DropPackage(*panel.archiveFiles, *root);
  panel.trace->Write(L"解压完成");
  return FinishInstall(panel, applier, installed == InstallResult::Installed);
}
