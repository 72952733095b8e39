// Real archive files whose output files stop accepting bytes after a limit,
// as on a full disk.
#pragma once

#include <memory>

#include "platform/archive_files.h"

class FailingArchiveFiles final : public platform::ArchiveFiles {
 public:
  explicit FailingArchiveFiles(std::size_t writableBytes)
      : system_(platform::MakeSystemArchiveFiles()), writableBytes_(writableBytes) {}

  std::unique_ptr<platform::ArchiveStream> OpenArchive(const std::wstring& path) const override {
    return system_->OpenArchive(path);
  }
  std::unique_ptr<platform::OutputFile> CreateOutputFile(
      const std::wstring& path, const platform::OutputFileMode& mode) const override {
    auto file = system_->CreateOutputFile(path, mode);
    if (!file) return nullptr;
    return std::make_unique<LimitedFile>(std::move(file), writableBytes_);
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
  class LimitedFile final : public platform::OutputFile {
   public:
    LimitedFile(std::unique_ptr<platform::OutputFile> file, std::size_t room)
        : file_(std::move(file)), room_(room) {}
    bool Write(const void* bytes, std::size_t size) override {
      if (size > room_) return false;
      room_ -= size;
      return file_->Write(bytes, size);
    }
    bool SetTimes(platform::FileTime creation, platform::FileTime access,
                  platform::FileTime write) override {
      return file_->SetTimes(creation, access, write);
    }

   private:
    std::unique_ptr<platform::OutputFile> file_;
    std::size_t room_;
  };

  std::unique_ptr<platform::ArchiveFiles> system_;
  std::size_t writableBytes_;
};
