#include "files/file_text.h"

std::string ApplyTextMode(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\x1A' || c == '\0') break;
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(c);
  }
  return text;
}

namespace {

FileText AsText(platform::ReadStatus status, std::string_view bytes) {
  FileText result;
  result.status = status;
  if (status == platform::ReadStatus::Ok) result.text = ApplyTextMode(bytes);
  return result;
}

}  // namespace

FileText ReadFileText(const std::wstring& path) {
  std::string bytes;
  platform::ReadStatus status = platform::ReadWholeFile(path, kMaxTextFileBytes, bytes);
  return AsText(status, bytes);
}

FileText ReadFileText(const platform::ArchiveFiles& files, const std::wstring& path) {
  std::string bytes;
  platform::ReadStatus status = files.ReadWholeFile(path, kMaxTextFileBytes, bytes);
  return AsText(status, bytes);
}
