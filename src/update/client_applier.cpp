#include "update/client_applier.h"

#include <optional>

#include "files/entry_directories.h"
#include "files/package_extraction.h"
#include "files/path_join.h"

ClientApplier::ClientApplier(const platform::ArchiveFiles& files, platform::Trace& trace,
                             std::wstring clientDirectory, std::wstring installedManifest)
    : files_(files),
      trace_(trace),
      clientDirectory_(std::move(clientDirectory)),
      installedManifest_(std::move(installedManifest)) {}

bool ClientApplier::BeginWriting() {
  if (writing_) return true;
  writing_ = files_.RemoveFile(installedManifest_) ||
             files_.GetPathKind(installedManifest_) == platform::PathKind::None;
  return writing_;
}

void ClientApplier::TraceEntry(const std::wstring& name) const {
  trace_.Write(L"删除：" + JoinPath(clientDirectory_, name).value_or(L"") + L"\n");
  trace_.Write(name + L"\n");
}

bool ClientApplier::HasRoomFor(std::uint64_t bytes) const {
  std::optional<std::uint64_t> room = files_.AvailableBytes(clientDirectory_);
  return !room || *room >= bytes;
}

InstallResult ClientApplier::InstallWhole(const std::wstring& packagePath) {
  auto traceEntry = [this](int, const ArchiveEntry& entry, ArchiveResult) {
    TraceEntry(entry.name);
  };
  ExtractionSummary summary = ExtractAllEntries(files_, packagePath, clientDirectory_, traceEntry,
                                                [this] { return BeginWriting(); });
  if (summary.setup == ArchiveWriteError) return InstallResult::NoRoom;
  return summary.AllOk() ? InstallResult::Installed : InstallResult::Failed;
}

ArchiveResult ClientApplier::WriteEntry(ZipReader* reader, int index) {
  ArchiveEntry entry;
  ArchiveResult result = ZipReader::GetEntry(reader, index, &entry);
  if (result != ArchiveOk) return result;
  TraceEntry(entry.name);
  return ZipReader::ExtractEntry(reader, index, entry.name);
}

platform::SystemResult ClientApplier::PutInPlace(const std::wstring& built, const EntryPlan& plan,
                                                 const std::wstring& name) {
  const std::wstring& target = plan.file.targetPath;
  TraceEntry(name);
  CreateEntryDirectories(files_, plan.base, plan.directories);
  // Windows will not rename over a read-only file.
  if (files_.GetPathKind(target) == platform::PathKind::File) files_.MakeWritable(target);
  return files_.MoveFileOver(built, target);
}

bool ClientApplier::Finish(std::string_view manifestText) {
  return !installedManifest_.empty() &&
         files_.ReplaceFileContents(installedManifest_, manifestText).Ok();
}
