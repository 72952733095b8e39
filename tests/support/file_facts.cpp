#include "file_facts.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

}  // namespace

#ifdef _WIN32

std::optional<FileFacts> ReadFileFacts(const std::filesystem::path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.wstring().c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  auto ticks = [](const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  FileFacts facts;
  facts.writeTime = ticks(data.ftLastWriteTime);
  facts.accessTime = ticks(data.ftLastAccessTime);
  facts.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  return facts;
}

void MakeWritable(const std::filesystem::path& path) {
  SetFileAttributesW(path.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
}

#else

std::optional<FileFacts> ReadFileFacts(const std::filesystem::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  auto ticks = [](const timespec& t) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(t.tv_sec) * 10000000 +
                                      t.tv_nsec / 100 +
                                      static_cast<std::int64_t>(kUnixEpochAsFileTime));
  };
  FileFacts facts;
  facts.writeTime = ticks(info.st_mtim);
  facts.accessTime = ticks(info.st_atim);
  facts.readOnly = (info.st_mode & S_IWUSR) == 0;
  facts.permissions = info.st_mode & 07777;
  return facts;
}

void MakeWritable(const std::filesystem::path& path) {
  chmod(path.c_str(), 0644);
}

#endif
