#include "update/package_install.h"

#include "files/package_extraction.h"
#include "files/path_join.h"

InstallResult InstallPackage(const UpdateContext& context, const std::wstring& packagePath,
                             const std::wstring& clientDirectory) {
  const platform::ArchiveFiles& files = *context.archiveFiles;
  platform::Trace& trace = *context.trace;
  const std::wstring& manifestPath = context.state->m_strPkgPath;
  auto markInProgress = [&files, &manifestPath] {
    return files.RemoveFile(manifestPath) ||
           files.GetPathKind(manifestPath) == platform::PathKind::None;
  };
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
