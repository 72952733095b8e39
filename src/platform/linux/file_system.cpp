#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/linux/errno_error.h"
#include "platform/linux/unique_fd.h"
#include "platform/linux/write_all.h"
#include "platform/text_codec.h"

namespace platform {

std::string NativePath(const std::wstring& path) {
  return EncodeUtf8(path);
}

PathKind GetPathKind(const std::wstring& path) {
  struct stat info {};
  if (::stat(NativePath(path).c_str(), &info) != 0) return PathKind::None;
  return S_ISDIR(info.st_mode) ? PathKind::Directory : PathKind::File;
}

bool MakeDirectory(const std::wstring& path) {
  std::string native = NativePath(path);
  if (::mkdir(native.c_str(), 0777) == 0) return true;
  struct stat info {};
  return errno == EEXIST && ::stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

ReadStatus ReadWholeFile(const std::wstring& path, std::size_t limit, std::string& bytes) {
  bytes.clear();
  // Non-blocking, so a FIFO in the file's place cannot hold the open up
  // waiting for a writer; only regular files are read.
  UniqueFd fd(::open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return ReadStatus::Unreadable;
  if (static_cast<unsigned long long>(info.st_size) > limit) return ReadStatus::TooLarge;
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadStatus::Unreadable;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return ReadStatus::Ok;
}

bool RemoveFile(const std::wstring& path) {
  return ::unlink(NativePath(path).c_str()) == 0;
}

std::optional<std::uint64_t> FileSize(const std::wstring& path) {
  struct stat info {};
  if (::stat(NativePath(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

SystemResult MoveFileOver(const std::wstring& from, const std::wstring& to) {
  if (::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0) return {};
  return ErrnoError(errno);
}

namespace {

class PosixAppendingFile final : public AppendingFile {
 public:
  explicit PosixAppendingFile(UniqueFd fd) : writer_(std::move(fd)) {}
  SystemResult Write(const char* data, std::size_t size) override {
    return writer_.Write(data, size);
  }
  SystemResult Flush() override { return writer_.Flush(); }
  SystemResult Close() override { return writer_.Close(); }

 private:
  DescriptorWriter writer_;
};

}  // namespace

OpenedFile OpenAppendingFile(const std::wstring& path, bool append) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
  UniqueFd fd(::open(NativePath(path).c_str(), flags, 0644));
  if (!fd.Valid()) return {nullptr, ErrnoError(errno)};
  return {std::make_unique<PosixAppendingFile>(std::move(fd)), {}};
}

}  // namespace platform
