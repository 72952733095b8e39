// Real archive files whose output files stop accepting bytes after a limit,
// as on a full disk: a write keeps what fits and then fails.
#pragma once

#include <algorithm>
#include <memory>

#include "fakes/forwarding_archive_files.h"

class FailingArchiveFiles final : public ForwardingArchiveFiles {
 public:
  explicit FailingArchiveFiles(std::size_t writableBytes) : writableBytes_(writableBytes) {}

  std::unique_ptr<platform::OutputFile> CreateNewFile(
      const std::wstring& path, const platform::OutputFileMode& mode) const override {
    auto file = ForwardingArchiveFiles::CreateNewFile(path, mode);
    if (!file) return nullptr;
    return std::make_unique<LimitedFile>(std::move(file), writableBytes_);
  }

 private:
  class LimitedFile final : public platform::OutputFile {
   public:
    LimitedFile(std::unique_ptr<platform::OutputFile> file, std::size_t room)
        : file_(std::move(file)), room_(room) {}
    bool Write(const void* bytes, std::size_t size) override {
      std::size_t fits = std::min(size, room_);
      room_ -= fits;
      return file_->Write(bytes, fits) && fits == size;
    }
    bool SetTimes(platform::FileTime creation, platform::FileTime access,
                  platform::FileTime write) override {
      return file_->SetTimes(creation, access, write);
    }

   private:
    std::unique_ptr<platform::OutputFile> file_;
    std::size_t room_;
  };

  std::size_t writableBytes_;
};
