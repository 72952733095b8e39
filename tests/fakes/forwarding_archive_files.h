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
  std::unique_ptr<platform::OutputFile> CreateNewFile(
      const std::wstring& path, const platform::OutputFileMode& mode) const override {
    return system_->CreateNewFile(path, mode);
  }
  bool MakeWritable(const std::wstring& path) const override { return system_->MakeWritable(path); }
  bool HasMode(const std::wstring& path, const platform::OutputFileMode& mode) const override {
    return system_->HasMode(path, mode);
  }
  bool RemoveFile(const std::wstring& path) const override { return system_->RemoveFile(path); }
  platform::PathKind GetPathKind(const std::wstring& path) const override {
    return system_->GetPathKind(path);
  }
  bool MakeDirectory(const std::wstring& path) const override {
    return system_->MakeDirectory(path);
  }
  std::wstring CurrentDirectory() const override { return system_->CurrentDirectory(); }
  std::optional<std::uint64_t> AvailableBytes(const std::wstring& directory) const override {
    return system_->AvailableBytes(directory);
  }
  std::optional<platform::FileTime> LocalToFileTime(
      const platform::LocalDateTime& local) const override {
    return system_->LocalToFileTime(local);
  }
  platform::ReadStatus ReadWholeFile(const std::wstring& path, std::size_t limit,
                                     std::string& bytes) const override {
    return system_->ReadWholeFile(path, limit, bytes);
  }
  platform::SystemResult ReplaceFileContents(const std::wstring& path,
                                             std::string_view bytes) const override {
    return system_->ReplaceFileContents(path, bytes);
  }
  std::optional<std::uint64_t> FileSize(const std::wstring& path) const override {
    return system_->FileSize(path);
  }
  platform::SystemResult MoveFileOver(const std::wstring& from,
                                      const std::wstring& to) const override {
    return system_->MoveFileOver(from, to);
  }
  platform::OpenedFile OpenAppendingFile(const std::wstring& path, bool append) const override {
    return system_->OpenAppendingFile(path, append);
  }
  platform::CreatedSparseFile CreateSparseFile(const std::wstring& path) const override {
    return system_->CreateSparseFile(path);
  }

 private:
  std::unique_ptr<platform::ArchiveFiles> system_;
};
