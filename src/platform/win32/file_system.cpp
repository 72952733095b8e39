#include "platform/file_system.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_error.h"

namespace platform {
namespace {

// ReadFile and WriteFile take a DWORD count; stay well below its limit.
constexpr std::size_t kChunk = 1 << 20;

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

PathKind GetPathKind(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::None;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory : PathKind::File;
}

bool MakeDirectory(const std::wstring& path) {
  if (::CreateDirectoryW(path.c_str(), nullptr)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && GetPathKind(path) == PathKind::Directory;
}

ReadStatus ReadWholeFile(const std::wstring& path, std::size_t limit, std::string& bytes) {
  bytes.clear();
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadStatus::Missing
                                                                          : ReadStatus::Unreadable;
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return ReadStatus::Unreadable;
  if (static_cast<unsigned long long>(size.QuadPart) > limit) return ReadStatus::TooLarge;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - done, kChunk));
    DWORD read = 0;
    if (!::ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr)) {
      bytes.clear();
      return ReadStatus::Unreadable;
    }
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return ReadStatus::Ok;
}

bool RemoveFile(const std::wstring& path) {
  return ::DeleteFileW(path.c_str()) != 0;
}

std::optional<std::uint64_t> FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

SystemResult MoveFileOver(const std::wstring& from, const std::wstring& to) {
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return {};
  }
  return Win32Error(::GetLastError());
}

namespace {

class Win32AppendingFile final : public AppendingFile {
 public:
  explicit Win32AppendingFile(UniqueHandle file) : file_(std::move(file)) {}
  SystemResult Write(const char* data, std::size_t size) override {
    if (WriteAll(file_.Get(), std::string_view(data, size))) return {};
    if (!failure_) failure_ = Win32Error(::GetLastError());
    return *failure_;
  }
  SystemResult Flush() override {
    if (!failure_ && !::FlushFileBuffers(file_.Get())) failure_ = Win32Error(::GetLastError());
    if (failure_) return *failure_;
    return {};
  }
  SystemResult Close() override {
    if (!file_.Valid()) return Win32Error(ERROR_INVALID_HANDLE);
    if (!file_.Reset() && !failure_) failure_ = Win32Error(::GetLastError());
    if (failure_) return *failure_;
    return {};
  }

 private:
  UniqueHandle file_;
  std::optional<SystemError> failure_;
};

}  // namespace

OpenedFile OpenAppendingFile(const std::wstring& path, bool append) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
  if (!file.Valid()) return {nullptr, Win32Error(::GetLastError())};
  LARGE_INTEGER end{};
  if (append && !::SetFilePointerEx(file.Get(), end, nullptr, FILE_END)) {
    return {nullptr, Win32Error(::GetLastError())};
  }
  return {std::make_unique<Win32AppendingFile>(std::move(file)), {}};
}

}  // namespace platform
