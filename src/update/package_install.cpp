#include "update/package_install.h"

#include "files/package_extraction.h"
#include "files/path_join.h"

bool MarkInstallInProgress(const UpdateContext& context) {
  const platform::ArchiveFiles& files = *context.archiveFiles;
  const std::wstring& manifestPath = context.state->m_strPkgPath;
  return files.RemoveFile(manifestPath) ||
         files.GetPathKind(manifestPath) == platform::PathKind::None;
}

InstallResult InstallPackage(const UpdateContext& context, const std::wstring& packagePath,
                             const std::wstring& clientDirectory) {
  const platform::ArchiveFiles& files = *context.archiveFiles;
  platform::Trace& trace = *context.trace;
  auto markInProgress = [&context] { return MarkInstallInProgress(context); };
  auto traceEntry = [&trace, &clientDirectory](int, const ArchiveEntry& entry, ArchiveResult) {
    std::wstring target = JoinPath(clientDirectory, entry.name).value_or(L"");
    trace.Write(L"删除：" + target + L"\n");
    trace.Write(std::wstring(entry.name) + L"\n");
  };
  ExtractionSummary summary =
      ExtractAllEntries(files, packagePath, clientDirectory, traceEntry, markInProgress);
  if (summary.setup == ArchiveWriteError) return InstallResult::NoRoom;
  return summary.AllOk() ? InstallResult::Installed : InstallResult::Failed;
}
