#include "update/check_update.h"

#include <optional>
#include <string>
#include <string_view>

#include "files/file_text.h"
#include "files/path_join.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "platform/tick_count.h"
#include "platform/trace.h"
#include "update/cache_buster.h"
#include "update/client_repair.h"
#include "update/detached_thread.h"
#include "update/download_package.h"
#include "update/download_step.h"
#include "update/kept_package.h"
#include "update/manifest_signature.h"
#include "update/manifest_trust.h"
#include "update/status_texts.h"
#include "update/update_report.h"

namespace {

// Takes the downloaded manifest into the panel's state. The texts are filled
// before the pointers that publish them.
bool AdoptManifest(PanelState& state, std::string text, PackageManifest manifest) {
  state.manifestText = std::move(text);
  state.manifest = std::move(manifest);
  state.m_newManifestText = state.manifestText.c_str();
  state.m_clientUrl = state.manifest.clientUrl;
  state.m_exePath = state.manifest.exePath;
  return state.manifest.document.IsObject() && state.manifest.IsUsable();
}

void MarkClientCurrent(const UpdateContext& context) {
  context.state->m_bUpdating = false;
  ShowStatus(context, kCurrentText);
  FinishUpdate(context, UpdateOutcome::ClientCurrent);
}

// The installed client's listed files against the manifest in force.
std::size_t CountDamagedClientFiles(const UpdateContext& context) {
  std::optional<std::wstring> clientDirectory =
      JoinPath(context.state->m_strMicroDir, L"GameClient\\");
  if (!clientDirectory || context.archiveFiles == nullptr) return 0;
  return CountDamagedFiles(*context.archiveFiles, *clientDirectory, context.state->manifest);
}

}  // namespace

unsigned CheckUpdateThreadProc(std::shared_ptr<const UpdateContext> context) {
  PanelState& state = *context->state;
  std::wstring manifestUrl = platform::DecodeAnsi(state.VerUrl());
  // Without a client root directory (too long a path) nothing can be kept.
  std::optional<std::wstring> pkgPath;
  std::optional<std::wstring> downloadedPath;
  std::optional<std::wstring> packagePath;
  std::optional<std::wstring> signaturePath;
  std::optional<std::wstring> trustPath;
  if (!state.m_strMicroDir.empty()) {
    pkgPath = JoinPath(state.m_strMicroDir, L"pkg.json");
    downloadedPath = JoinPath(state.m_strMicroDir, L"pkg_tmp.json");
    signaturePath = JoinPath(state.m_strMicroDir, L"pkg_tmp.json.minisig");
    packagePath = JoinPath(state.m_strMicroDir, L"GameClient.zip");
    trustPath = JoinPath(state.m_strMicroDir, L"trust.json");
  }
  state.m_strPkgPath = pkgPath.value_or(L"");
  std::wstring downloadUrl = AppendCacheBuster(manifestUrl, platform::TickCount());
  std::string oldText = pkgPath ? ReadFileText(*pkgPath).text : std::string();
  state.m_bUpdating = true;
  bool packageLeftOver =
      packagePath && platform::GetPathKind(*packagePath) == platform::PathKind::File;

  if (!downloadedPath || !packagePath || !signaturePath || !trustPath) {
    ReportUpdateFailure(*context, kCheckFailedText, UpdateOutcome::ManifestDownloadFailed);
    return 0;
  }
  DownloadResult download = DownloadFile(*context->transport, downloadUrl, *downloadedPath, nullptr,
                                         context->manifestRules);
  context->trace->Write(L"\n" + DescribeDownload(download));
  if (!download.Ok()) {
    // No copy of an earlier run's manifest stays to be mistaken for this one's.
    platform::RemoveFile(*downloadedPath);
    ReportUpdateFailure(*context, kCheckFailedText, UpdateOutcome::ManifestDownloadFailed);
    return 0;
  }
  // The signature covers the bytes as served; the text is read from them.
  std::string downloaded;
  if (platform::ReadWholeFile(*downloadedPath, kMaxTextFileBytes, downloaded) !=
      platform::ReadStatus::Ok) {
    ReportUpdateFailure(*context, kCheckFailedText, UpdateOutcome::ManifestDownloadFailed);
    return 0;
  }
  std::string text = ApplyTextMode(downloaded);
  PackageManifest manifest = ParsePackageManifest(text);
  ManifestVerdict verdict = JudgeDownloadedManifest(*context, manifestUrl, *signaturePath,
                                                    *trustPath, downloaded, manifest);
  if (verdict.refusal != nullptr) {
    ReportUpdateFailure(*context, verdict.refusal, UpdateOutcome::ManifestUnverified);
    return 0;
  }
  // The texts, not the parsed values, decide: any change to the manifest
  // orders an install.
  bool manifestChanged = packageLeftOver || oldText != text;
  // A package left whole by a run that could not install it (a full disk,
  // a kill while unpacking) is installed only if it is this manifest's.
  bool packageReady = packageLeftOver && IsPackageOf(*packagePath, text);
  if (!AdoptManifest(state, std::move(text), std::move(manifest))) {
    ReportUpdateFailure(*context, kManifestInvalidText, UpdateOutcome::ManifestUnusable);
    return 0;
  }
  // Recorded before any package byte is fetched: a run killed after this
  // point can no longer be led back to an older manifest.
  if (verdict.record && !WriteTrustFile(*trustPath, *verdict.record)) {
    context->trace->Write(L"\n无法写入 trust.json");
    ReportUpdateFailure(*context, kInstallFailedText, UpdateOutcome::InstallFailed);
    return 0;
  }
  if (!manifestChanged) {
    std::size_t damaged = CountDamagedClientFiles(*context);
    if (damaged == 0) {
      MarkClientCurrent(*context);
      return 0;
    }
    context->trace->Write(L"\nrepair: " + std::to_wstring(damaged) +
                          L" listed files missing or of another size");
  }
  ShowStatus(*context, kUpdatingText);
  auto failed = [context] {
    ReportUpdateFailure(*context, kInstallFailedText, UpdateOutcome::InstallFailed);
  };
  if (!StartDetachedThread(
          [context, packageReady] { DownloadPackageThreadProc(context, packageReady); }, failed)) {
    failed();
  }
  return 0;
}

void StartUpdateCheck(std::shared_ptr<const UpdateContext> context) {
  // Busy before the worker runs, so a login that comes first is turned back.
  context->state->m_bUpdating = true;
  auto failed = [context] {
    ReportUpdateFailure(*context, kCheckFailedText, UpdateOutcome::ManifestDownloadFailed);
  };
  if (!StartDetachedThread([context] { CheckUpdateThreadProc(context); }, failed)) failed();
}
