#include "update/check_update.h"

#include <optional>
#include <string>
#include <string_view>

#include "core/client_root.h"
#include "files/file_text.h"
#include "platform/text_codec.h"
#include "platform/tick_count.h"
#include "platform/trace.h"
#include "update/bind_callback.h"
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

// The installed client's listed files against the manifest in force: their
// sizes, or on a "--verify" run their bytes too, with the bar showing how
// far the reading got.
std::size_t CountDamagedClientFiles(const UpdateContext& context, const ClientRoot& root) {
  PanelState& state = *context.state;
  if (!state.verifyFiles) {
    std::size_t damaged =
        CountDamagedFiles(*context.archiveFiles, root.ClientDirectory(), state.manifest);
    if (damaged != 0) {
      context.trace->Write(L"\nrepair: " + std::to_wstring(damaged) +
                           L" listed files missing or of another size");
    }
    return damaged;
  }
  if (!state.manifest.files) {
    context.trace->Write(L"\nverify: the manifest lists no files");
    return 0;
  }
  ShowStatus(context, kVerifyingText);
  ShowProgressStrip(context, true);
  CBindCallback bar(context);
  std::size_t damaged =
      CountDamagedFiles(*context.archiveFiles, root.ClientDirectory(), state.manifest,
                        FileCheck::Content, &bar, &state.verifiedFiles);
  ShowProgressStrip(context, false);
  context.trace->Write(L"\nverify: " + std::to_wstring(damaged) + L" of " +
                       std::to_wstring(state.manifest.files->size()) + L" listed files differ");
  return damaged;
}

}  // namespace

unsigned CheckUpdateThreadProc(std::shared_ptr<const UpdateContext> context) {
  PanelState& state = *context->state;
  std::wstring manifestUrl = platform::DecodeAnsi(state.VerUrl());
  // Without a client root directory (too long a path) nothing can be kept.
  std::optional<ClientRoot> root = ClientRoot::At(state.m_strMicroDir);
  state.m_strPkgPath = root ? root->InstalledManifest() : std::wstring();
  state.m_bUpdating = true;
  if (!root) {
    ReportUpdateFailure(*context, kCheckFailedText, UpdateOutcome::ManifestDownloadFailed);
    return 0;
  }
  const platform::ArchiveFiles& files = *context->archiveFiles;
  std::wstring downloadUrl = AppendCacheBuster(manifestUrl, platform::TickCount());
  std::string oldText = ReadFileText(files, root->InstalledManifest()).text;
  bool packageLeftOver = files.GetPathKind(root->Package()) == platform::PathKind::File;

  DownloadResult download =
      DownloadFile(*context->transport, files, downloadUrl, root->DownloadedManifest(), nullptr,
                   context->manifestRules);
  context->trace->Write(L"\n" + DescribeDownload(download));
  if (!download.Ok()) {
    // No copy of an earlier run's manifest stays to be mistaken for this one's.
    files.RemoveFile(root->DownloadedManifest());
    ReportUpdateFailure(*context, kCheckFailedText, UpdateOutcome::ManifestDownloadFailed);
    return 0;
  }
  // The signature covers the bytes as served; the text is read from them.
  std::string downloaded;
  if (files.ReadWholeFile(root->DownloadedManifest(), kMaxTextFileBytes, downloaded) !=
      platform::ReadStatus::Ok) {
    ReportUpdateFailure(*context, kCheckFailedText, UpdateOutcome::ManifestDownloadFailed);
    return 0;
  }
  std::string text = ApplyTextMode(downloaded);
  PackageManifest manifest = ParsePackageManifest(text);
  ManifestVerdict verdict = JudgeDownloadedManifest(
      *context, manifestUrl, root->ManifestSignature(), root->TrustRecord(), downloaded, manifest);
  if (verdict.refusal != nullptr) {
    ReportUpdateFailure(*context, verdict.refusal, UpdateOutcome::ManifestUnverified);
    return 0;
  }
  // The texts, not the parsed values, decide: any change to the manifest
  // orders an install.
  bool manifestChanged = packageLeftOver || oldText != text;
  // A package left whole by a run that could not install it (a full disk,
  // a kill while unpacking) is installed only if it is this manifest's.
  bool packageReady = packageLeftOver && IsPackageOf(files, *root, text);
  if (!AdoptManifest(state, std::move(text), std::move(manifest))) {
    ReportUpdateFailure(*context, kManifestInvalidText, UpdateOutcome::ManifestUnusable);
    return 0;
  }
  // Recorded before any package byte is fetched: a run killed after this
  // point can no longer be led back to an older manifest.
  if (verdict.record && !WriteTrustFile(files, root->TrustRecord(), *verdict.record)) {
    context->trace->Write(L"\n无法写入 trust.json");
    ReportUpdateFailure(*context, kInstallFailedText, UpdateOutcome::InstallFailed);
    return 0;
  }
  if (!manifestChanged) {
    if (CountDamagedClientFiles(*context, *root) == 0) {
      MarkClientCurrent(*context);
      return 0;
    }
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
