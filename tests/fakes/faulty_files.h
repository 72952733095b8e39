// The system's files with every operation counted, the ones on opened files
// included, and the one numbered `failAt` failing as the system would report
// it: no file, no bytes, a refused write, an I/O error.
#pragma once

#include <atomic>
#include <memory>

#include "fakes/forwarding_archive_files.h"

class FaultyFiles final : public ForwardingArchiveFiles {
 public:
  // Operations so far; the next one is numbered calls + 1. Bumped by const
  // operations, as the disk changes behind a const interface too.
  mutable std::atomic<int> calls{0};
  // The operation that fails; 0 fails none.
  std::atomic<int> failAt{0};

  std::unique_ptr<platform::ArchiveStream> OpenArchive(const std::wstring& path) const override {
    if (Fails()) return nullptr;
    auto stream = ForwardingArchiveFiles::OpenArchive(path);
    return stream ? std::make_unique<Stream>(*this, std::move(stream)) : nullptr;
  }
  std::unique_ptr<platform::OutputFile> CreateNewFile(
      const std::wstring& path, const platform::OutputFileMode& mode) const override {
    if (Fails()) return nullptr;
    auto file = ForwardingArchiveFiles::CreateNewFile(path, mode);
    return file ? std::make_unique<Output>(*this, std::move(file)) : nullptr;
  }
  bool MakeWritable(const std::wstring& path) const override {
    return !Fails() && ForwardingArchiveFiles::MakeWritable(path);
  }
  bool HasMode(const std::wstring& path, const platform::OutputFileMode& mode) const override {
    return !Fails() && ForwardingArchiveFiles::HasMode(path, mode);
  }
  bool RemoveFile(const std::wstring& path) const override {
    return !Fails() && ForwardingArchiveFiles::RemoveFile(path);
  }
  platform::PathKind GetPathKind(const std::wstring& path) const override {
    return Fails() ? platform::PathKind::None : ForwardingArchiveFiles::GetPathKind(path);
  }
  bool MakeDirectory(const std::wstring& path) const override {
    return !Fails() && ForwardingArchiveFiles::MakeDirectory(path);
  }
  std::optional<std::uint64_t> AvailableBytes(const std::wstring& directory) const override {
    if (Fails()) return std::nullopt;
    return ForwardingArchiveFiles::AvailableBytes(directory);
  }
  std::optional<platform::FileTime> LocalToFileTime(
      const platform::LocalDateTime& local) const override {
    if (Fails()) return std::nullopt;
    return ForwardingArchiveFiles::LocalToFileTime(local);
  }
  platform::ReadStatus ReadWholeFile(const std::wstring& path, std::size_t limit,
                                     std::string& bytes) const override {
    if (Fails()) return platform::ReadStatus::Unreadable;
    return ForwardingArchiveFiles::ReadWholeFile(path, limit, bytes);
  }
  platform::SystemResult ReplaceFileContents(const std::wstring& path,
                                             std::string_view bytes) const override {
    if (Fails()) return Injected();
    return ForwardingArchiveFiles::ReplaceFileContents(path, bytes);
  }
  std::optional<std::uint64_t> FileSize(const std::wstring& path) const override {
    if (Fails()) return std::nullopt;
    return ForwardingArchiveFiles::FileSize(path);
  }
  platform::SystemResult MoveFileOver(const std::wstring& from,
                                      const std::wstring& to) const override {
    if (Fails()) return Injected();
    return ForwardingArchiveFiles::MoveFileOver(from, to);
  }
  platform::OpenedFile OpenAppendingFile(const std::wstring& path, bool append) const override {
    if (Fails()) return {nullptr, Injected()};
    platform::OpenedFile opened = ForwardingArchiveFiles::OpenAppendingFile(path, append);
    if (opened.file) opened.file = std::make_unique<Appending>(*this, std::move(opened.file));
    return opened;
  }
  platform::CreatedSparseFile CreateSparseFile(const std::wstring& path) const override {
    if (Fails()) return {nullptr, Injected()};
    platform::CreatedSparseFile created = ForwardingArchiveFiles::CreateSparseFile(path);
    if (created.file) created.file = std::make_unique<Sparse>(*this, std::move(created.file));
    return created;
  }

 private:
  static platform::SystemError Injected() { return {5, L"injected I/O error"}; }

  bool Fails() const { return ++calls == failAt; }

  class Stream final : public platform::ArchiveStream {
   public:
    Stream(const FaultyFiles& files, std::unique_ptr<platform::ArchiveStream> inner)
        : files_(files), inner_(std::move(inner)) {}
    std::uint64_t Size() const override { return inner_->Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
      return files_.Fails() ? 0 : inner_->ReadAt(offset, buffer, size);
    }

   private:
    const FaultyFiles& files_;
    std::unique_ptr<platform::ArchiveStream> inner_;
  };

  class Output final : public platform::OutputFile {
   public:
    Output(const FaultyFiles& files, std::unique_ptr<platform::OutputFile> inner)
        : files_(files), inner_(std::move(inner)) {}
    bool Write(const void* bytes, std::size_t size) override {
      return !files_.Fails() && inner_->Write(bytes, size);
    }
    bool SetTimes(platform::FileTime creation, platform::FileTime access,
                  platform::FileTime write) override {
      return !files_.Fails() && inner_->SetTimes(creation, access, write);
    }

   private:
    const FaultyFiles& files_;
    std::unique_ptr<platform::OutputFile> inner_;
  };

  class Appending final : public platform::AppendingFile {
   public:
    Appending(const FaultyFiles& files, std::unique_ptr<platform::AppendingFile> inner)
        : files_(files), inner_(std::move(inner)) {}
    platform::SystemResult Write(const char* data, std::size_t size) override {
      if (files_.Fails()) return Injected();
      return inner_->Write(data, size);
    }
    platform::SystemResult Flush() override {
      if (files_.Fails()) return Injected();
      return inner_->Flush();
    }
    platform::SystemResult Close() override {
      platform::SystemResult closed = inner_->Close();
      if (files_.Fails()) return Injected();
      return closed;
    }

   private:
    const FaultyFiles& files_;
    std::unique_ptr<platform::AppendingFile> inner_;
  };

  class Sparse final : public platform::SparseFile {
   public:
    Sparse(const FaultyFiles& files, std::unique_ptr<platform::SparseFile> inner)
        : files_(files), inner_(std::move(inner)) {}
    platform::SystemResult WriteAt(std::uint64_t offset, const char* data,
                                   std::size_t size) override {
      if (files_.Fails()) return Injected();
      return inner_->WriteAt(offset, data, size);
    }
    platform::SystemResult Close() override {
      platform::SystemResult closed = inner_->Close();
      if (files_.Fails()) return Injected();
      return closed;
    }

   private:
    const FaultyFiles& files_;
    std::unique_ptr<platform::SparseFile> inner_;
  };
};
