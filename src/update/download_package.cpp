#include "update/download_package.h"

#include <optional>
#include <string>
#include <string_view>

#include "files/path_join.h"
#include "platform/file_system.h"
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

void ShowProgressStrip(const UpdateContext& context, bool show) {
  context.view->ShowProgressStrip(show);
  context.state->m_bShowProgress = show;
  context.view->Invalidate();
}

// "pkg.json" is written last and replaced whole, so it names the new
// manifest only once every file of the package is in place.
bool RecordManifest(const PanelState& state) {
  const char* text = state.m_newManifestText;
  if (text == nullptr || state.m_strPkgPath.empty()) return false;
  return platform::ReplaceFileContents(state.m_strPkgPath, std::string_view(text));
}

unsigned FinishInstall(const UpdateContext& panel, bool unpacked) {
  if (!unpacked || !RecordManifest(*panel.state)) {
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
                               const std::wstring& packagePath, const std::wstring& clientDirectory,
                               DownloadProgress* progress) {
  if (platform::FileSize(packagePath + L".part")) return false;
  const DownloadRules rules = PackageRules(panel);
  DeltaUpdate update{*panel.transport,
                     rules,
                     *panel.archiveFiles,
                     *panel.trace,
                     progress,
                     packageUrl,
                     packagePath + L".delta",
                     clientDirectory,
                     panel.state->manifest,
                     [&panel] { return MarkInstallInProgress(panel); }};
  return InstallChangedEntries(update);
}

}  // namespace

unsigned DownloadPackageThreadProc(std::shared_ptr<const UpdateContext> context,
                                   bool packageReady) {
  const UpdateContext& panel = *context;
  PanelState& state = *panel.state;
  CBindCallback callback(panel);
  SpeedStatus progress(panel, callback);
  std::wstring packageUrl = platform::DecodeAnsi(state.ClientUrl());
  std::optional<std::wstring> packagePath = JoinPath(state.m_strMicroDir, L"GameClient.zip");
  std::optional<std::wstring> clientDirectory = JoinPath(state.m_strMicroDir, L"GameClient\\");
  packageUrl = AppendCacheBuster(std::move(packageUrl), platform::TickCount());

  if (!packagePath || !clientDirectory) {
    ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
    return 0;
  }
  std::string downloadedSha256;
  if (!packageReady) {
    // Another manifest's package: never installed, and gone before a new one
    // can take its name.
    DropPackage(*packagePath);
    ShowProgressStrip(panel, true);
    if (InstallChangedEntriesOnly(panel, packageUrl, *packagePath, *clientDirectory, &progress)) {
      ShowProgressStrip(panel, false);
      return FinishInstall(panel, true);
    }
    DownloadRules rules = PackageRules(panel);
    rules.sha256 = state.manifest.packageSha256 != nullptr;
    if (state.manifest.packageSize) {
      rules.mostBytes = DeclaredSizeLimit(*state.manifest.packageSize);
    }
    DownloadResult download =
        DownloadFile(*panel.transport, packageUrl, *packagePath, &progress, rules);
    panel.trace->Write(L"\n" + DescribeDownload(download));
    if (!download.Ok()) {
      ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
      return 0;
    }
    ShowProgressStrip(panel, false);
    // The speed is no news once the bytes are all here.
    if (progress.ShowsSpeed()) ShowStatus(panel, kUpdatingText);
    downloadedSha256 = std::move(download.sha256);
  }
  // A package that is not the one the manifest names is never unpacked, a
  // kept one included.
  if (!PackageMatchesManifest(panel, *packagePath, state.manifest, downloadedSha256)) {
    DropPackage(*packagePath);
    ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
    return 0;
  }
  // Without the record a kept package is downloaded again at the next start:
  // a cost, never a wrong install, so a failure to write it is no failure.
  if (!packageReady) MarkPackageOf(*packagePath, state.manifestText);

  panel.trace->Write(L"\n");
  InstallResult installed = InstallPackage(panel, *packagePath, *clientDirectory);
  if (installed == InstallResult::NoRoom) {
    // Kept, so the next start need not download it again.
    ReportUpdateFailure(panel, kDiskFullText, UpdateOutcome::DiskFull);
    return 0;
  }
  DropPackage(*packagePath);
  panel.trace->Write(L"解压完成");
  return FinishInstall(panel, installed == InstallResult::Installed);
}
