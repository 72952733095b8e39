#include "update/download_package.h"

#include <optional>
#include <string>
#include <string_view>

#include "files/path_join.h"
#include "platform/archive_files.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "platform/tick_count.h"
#include "platform/trace.h"
#include "update/bind_callback.h"
#include "update/cache_buster.h"
#include "update/delta_update.h"
#include "update/download_step.h"
#include "update/package_check.h"
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

// Over an earlier install, only the entries that changed are fetched; a
// download that is being resumed is continued instead.
bool InstallChangedEntriesOnly(const UpdateContext& panel, const std::wstring& packageUrl,
                               const std::wstring& packagePath, const std::wstring& clientDirectory,
                               CBindCallback* progress) {
  if (platform::FileSize(packagePath + L".part")) return false;
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  std::unique_ptr<platform::Trace> trace = platform::MakeStdoutTrace();
  DeltaUpdate update{*panel.transport,
                     *files,
                     *trace,
                     progress,
                     packageUrl,
                     packagePath + L".delta",
                     clientDirectory,
                     panel.state->manifest,
                     panel.state->config.updateKey.has_value()};
  return InstallChangedEntries(update);
}

}  // namespace

unsigned DownloadPackageThreadProc(std::shared_ptr<const UpdateContext> context) {
  const UpdateContext& panel = *context;
  PanelState& state = *panel.state;
  CBindCallback callback(panel);
  std::wstring packageUrl = platform::DecodeAnsi(state.ClientUrl());
  std::optional<std::wstring> packagePath = JoinPath(state.m_strMicroDir, L"GameClient.zip");
  std::optional<std::wstring> clientDirectory = JoinPath(state.m_strMicroDir, L"GameClient\\");
  packageUrl = AppendCacheBuster(std::move(packageUrl), platform::TickCount());

  ShowProgressStrip(panel, true);
  if (!packagePath || !clientDirectory) {
    ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
    return 0;
  }
  if (InstallChangedEntriesOnly(panel, packageUrl, *packagePath, *clientDirectory, &callback)) {
    return FinishInstall(panel, true);
  }
  DownloadResult download =
      DownloadFile(*panel.transport, packageUrl, *packagePath, &callback, panel.packageRules);
  platform::WriteTrace(L"\n" + DescribeDownload(download));
  if (!download.Ok()) {
    ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
    return 0;
  }
  ShowProgressStrip(panel, false);
  // A package that is not the one the manifest names is never unpacked.
  if (!PackageMatchesManifest(*packagePath, state.manifest)) {
    platform::RemoveFile(*packagePath);
    ReportUpdateFailure(panel, kDownloadFailedText, UpdateOutcome::PackageDownloadFailed);
    return 0;
  }

  platform::WriteTrace(L"\n");
  bool unpacked = panel.extractPackage(*packagePath, *clientDirectory);
  platform::RemoveFile(*packagePath);
  platform::WriteTrace(L"解压完成");
  return FinishInstall(panel, unpacked);
}
