// The one way an update changes the installed client, whether it unpacks a
// whole package, entries fetched by ranges or files built from chunks: the
// installed manifest ("pkg.json") goes before the first file is touched, so
// an install cut short is done again at the next start whatever the
// manifest says by then; each file written is traced alike; the new
// manifest is recorded last, once everything is in place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "files/file_entry_writer.h"
#include "files/zip_reader.h"
#include "platform/archive_files.h"
#include "platform/trace.h"

enum class InstallResult {
  Installed,
  // The declared sizes exceed the free space: nothing was touched.
  NoRoom,
  Failed,
};

class ClientApplier {
 public:
  ClientApplier(const platform::ArchiveFiles& files, platform::Trace& trace,
                std::wstring clientDirectory, std::wstring installedManifest);

  const std::wstring& ClientDirectory() const { return clientDirectory_; }

  // Removes the installed manifest (once); true when it is gone.
  bool BeginWriting();

  // "删除：<target>" and the entry's name: the lines of each file an install
  // writes.
  void TraceEntry(const std::wstring& name) const;

  // Whether `bytes` more fit below the client directory; true when the
  // system cannot tell.
  bool HasRoomFor(std::uint64_t bytes) const;

  // Every entry of the package at `packagePath`.
  InstallResult InstallWhole(const std::wstring& packagePath);

  // Entry `index` of the package `reader` reads (its target directory the
  // client's), traced and written under its cleaned name.
  ArchiveResult WriteEntry(ZipReader* reader, int index);

  // `built`, the file an entry planned as `plan` was made into aside, put in
  // place of the installed `name` (read-only or not).
  platform::SystemResult PutInPlace(const std::wstring& built, const EntryPlan& plan,
                                    const std::wstring& name);

  // Records `manifestText` as the installed client's: the last write.
  bool Finish(std::string_view manifestText);

 private:
  const platform::ArchiveFiles& files_;
  platform::Trace& trace_;
  std::wstring clientDirectory_;
  std::wstring installedManifest_;
  bool writing_ = false;
};
