#include "platform/archive_files.h"

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace platform {
namespace {

FILETIME ToFiletime(FileTime time) {
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFFu);
  result.dwHighDateTime = static_cast<DWORD>(time >> 32);
  return result;
}

FileTime FromFiletime(const FILETIME& time) {
  return (static_cast<FileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

class HandleStream final : public ArchiveStream {
 public:
  HandleStream(UniqueHandle handle, std::uint64_t size) : handle_(std::move(handle)), size_(size) {}

  std::uint64_t Size() const override { return size_; }

  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
      OVERLAPPED at{};
      std::uint64_t position = offset + done;
      at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(position >> 32);
      DWORD read = 0;
      if (!::ReadFile(handle_.Get(), bytes + done, static_cast<DWORD>(size - done), &read, &at) ||
          read == 0) {
        break;
      }
      done += read;
    }
    return done;
  }

 private:
  UniqueHandle handle_;
  std::uint64_t size_;
};

class OutputHandle final : public OutputFile {
 public:
  explicit OutputHandle(UniqueHandle handle) : handle_(std::move(handle)) {}

  bool Write(const void* bytes, std::size_t size) override {
    const auto* data = static_cast<const char*>(bytes);
    std::size_t done = 0;
    while (done < size) {
      DWORD written = 0;
      if (!::WriteFile(handle_.Get(), data + done, static_cast<DWORD>(size - done), &written,
                       nullptr) ||
          written == 0) {
        return false;
      }
      done += written;
    }
    return true;
  }

  bool SetTimes(FileTime creation, FileTime access, FileTime write) override {
    FILETIME created = ToFiletime(creation);
    FILETIME accessed = ToFiletime(access);
    FILETIME written = ToFiletime(write);
    return ::SetFileTime(handle_.Get(), &created, &accessed, &written) != 0;
  }

 private:
  UniqueHandle handle_;
};

class SystemArchiveFiles final : public DiskFiles {
 public:
  std::unique_ptr<ArchiveStream> OpenArchive(const std::wstring& path) const override {
    UniqueHandle handle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!handle.Valid() || !::GetFileSizeEx(handle.Get(), &size)) return nullptr;
    return std::make_unique<HandleStream>(std::move(handle),
                                          static_cast<std::uint64_t>(size.QuadPart));
  }

  std::unique_ptr<OutputFile> CreateNewFile(const std::wstring& path,
                                            const OutputFileMode& mode) const override {
    DWORD attributes = mode.attributes != 0 ? mode.attributes : FILE_ATTRIBUTE_NORMAL;
    UniqueHandle handle(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    if (!handle.Valid()) return nullptr;
    return std::make_unique<OutputHandle>(std::move(handle));
  }

  bool MakeWritable(const std::wstring& path) const override {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
      return false;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return true;
    DWORD writable = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    return ::SetFileAttributesW(path.c_str(), writable != 0 ? writable : FILE_ATTRIBUTE_NORMAL) !=
           0;
  }

  bool HasMode(const std::wstring& path, const OutputFileMode& mode) const override {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
      return false;
    }
    constexpr DWORD kChosen =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (attributes & kChosen) == (mode.attributes & kChosen);
  }

  bool RemoveFile(const std::wstring& path) const override {
    return ::DeleteFileW(path.c_str()) != 0;
  }

  std::wstring CurrentDirectory() const override {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = ::GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return {};
    return std::wstring(buffer, length);
  }

  std::optional<std::uint64_t> AvailableBytes(const std::wstring& directory) const override {
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(directory.c_str(), &available, nullptr, nullptr))
      return std::nullopt;
    return static_cast<std::uint64_t>(available.QuadPart);
  }

  std::optional<FileTime> LocalToFileTime(const LocalDateTime& local) const override {
    SYSTEMTIME calendar{};
    calendar.wYear = static_cast<WORD>(local.year);
    calendar.wMonth = static_cast<WORD>(local.month);
    calendar.wDay = static_cast<WORD>(local.day);
    calendar.wHour = static_cast<WORD>(local.hour);
    calendar.wMinute = static_cast<WORD>(local.minute);
    calendar.wSecond = static_cast<WORD>(local.second);
    FILETIME localTime;
    FILETIME utc;
    if (!::SystemTimeToFileTime(&calendar, &localTime) ||
        !::LocalFileTimeToFileTime(&localTime, &utc)) {
      return std::nullopt;
    }
    return FromFiletime(utc);
  }
};

}  // namespace

std::unique_ptr<ArchiveFiles> MakeSystemArchiveFiles() {
  return std::make_unique<SystemArchiveFiles>();
}

}  // namespace platform
