// The system's archive files, for fakes that change one operation of them.
#pragma once

#include <memory>

#include "platform/archive_files.h"

class ForwardingArchiveFiles : public platform::ArchiveFiles {
 public:
  ForwardingArchiveFiles() : system_(platform::MakeSystemArchiveFiles()) {}

  std::unique_ptr<platform::ArchiveStream> OpenArchive(const std::wstring& path) const override {
    return system_->OpenArchive(path);
  }
  std::unique_ptr<platform::OutputFile> CreateOutputFile(
      const std::wstring& path, const platform::OutputFileMode& mode) const override {
    return system_->CreateOutputFile(path, mode);
  }
  platform::PathKind GetPathKind(const std::wstring& path) const override {
    return system_->GetPathKind(path);
  }
  bool MakeDirectory(const std::wstring& path) const override {
    return system_->MakeDirectory(path);
  }
  std::wstring CurrentDirectory() const override { return system_->CurrentDirectory(); }
  std::optional<platform::FileTime> LocalToFileTime(
      const platform::LocalDateTime& local) const override {
    return system_->LocalToFileTime(local);
  }

 private:
  std::unique_ptr<platform::ArchiveFiles> system_;
};
