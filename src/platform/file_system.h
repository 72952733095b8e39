// The few file operations the launcher needs, on wide paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_error.h"

namespace platform {

#ifdef _WIN32
inline constexpr wchar_t kPathSeparator = L'\\';
// MAX_PATH less the terminator.
inline constexpr std::size_t kMaxPathChars = 259;
inline constexpr bool kCaseSensitivePaths = false;
#else
inline constexpr wchar_t kPathSeparator = L'/';
inline constexpr std::size_t kMaxPathChars = 4095;
inline constexpr bool kCaseSensitivePaths = true;
#endif

inline bool IsPathSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

enum class PathKind { None, File, Directory };
PathKind GetPathKind(const std::wstring& path);

// True when the directory now exists (made here or already there).
bool MakeDirectory(const std::wstring& path);

enum class ReadStatus { Ok, Missing, Unreadable, TooLarge };
// Reads the whole file as bytes, opened exclusively. Files larger than
// `limit` bytes are not read.
ReadStatus ReadWholeFile(const std::wstring& path, std::size_t limit, std::string& bytes);

// Writes the bytes to a temporary file beside `path`, flushes it to disk and
// renames it over `path`, so `path` holds either the old or the new content.
SystemResult ReplaceFileContents(const std::wstring& path, std::string_view bytes);

bool RemoveFile(const std::wstring& path);

// The size of the regular file at `path`; none when there is none.
std::optional<std::uint64_t> FileSize(const std::wstring& path);

// Renames `from` over `to`, replacing it; the rename itself reaches the disk
// before it returns where the system can say so.
SystemResult MoveFileOver(const std::wstring& from, const std::wstring& to);

// A file written at its end, for downloads.
class AppendingFile {
 public:
  virtual ~AppendingFile() = default;
  virtual SystemResult Write(const char* data, std::size_t size) = 0;
  // Has the bytes written so far reach the disk.
  virtual SystemResult Flush() = 0;
  // Closes the file; a failure when closing or any write failed, with the
  // first cause.
  virtual SystemResult Close() = 0;
};
struct OpenedFile {
  std::unique_ptr<AppendingFile> file;
  // Why `file` is null.
  SystemError error;
};
// Opens (creating) `path` emptied, or at its end when `append`.
OpenedFile OpenAppendingFile(const std::wstring& path, bool append);

#ifndef _WIN32
// Paths go to the kernel as UTF-8, GLib's convention for file names.
std::string NativePath(const std::wstring& path);
#endif

}  // namespace platform
