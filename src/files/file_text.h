// Whole small files read as text, the way a text-mode stream delivers them.
#pragma once

#include <string>
#include <string_view>

#include "platform/archive_files.h"
#include "platform/file_system.h"

// Configuration and manifests are a few hundred bytes; anything this large is
// not one of them and is refused rather than loaded.
inline constexpr std::size_t kMaxTextFileBytes = 4 * 1024 * 1024;

struct FileText {
  platform::ReadStatus status = platform::ReadStatus::Missing;
  // Empty unless status is Ok.
  std::string text;
};

// CR LF becomes LF, a byte 0x1A ends the text, and so does a zero byte (the
// text is used as a zero-terminated string everywhere).
std::string ApplyTextMode(std::string_view bytes);

// The whole file at `path` as text; the empty text when it is missing or
// cannot be read, with the reason in `status`.
FileText ReadFileText(const std::wstring& path);
// The same through `files`, as the update reads its records.
FileText ReadFileText(const platform::ArchiveFiles& files, const std::wstring& path);
