// The few file operations the launcher needs, on wide paths.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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
bool ReplaceFileContents(const std::wstring& path, std::string_view bytes);

bool RemoveFile(const std::wstring& path);

#ifndef _WIN32
// Paths go to the kernel as UTF-8, GLib's convention for file names.
std::string NativePath(const std::wstring& path);
#endif

}  // namespace platform
