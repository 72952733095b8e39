#include "files/entry_name.h"

#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace {

bool DropThroughFirst(std::wstring& name, std::wstring_view step) {
  std::size_t at = name.find(step);
  if (at == std::wstring::npos) return false;
  name.erase(0, at + step.size());
  return true;
}

bool ApplyFirstRule(std::wstring& name) {
  if (name.size() >= 2 && name[1] == L':') {
    name.erase(0, 2);
    return true;
  }
  if (!name.empty() && platform::IsPathSeparator(name[0])) {
    name.erase(0, 1);
    return true;
  }
  for (std::wstring_view step : {L"\\..\\", L"\\../", L"/../", L"/..\\"}) {
    if (DropThroughFirst(name, step)) return true;
  }
  if (name == L"..") {
    name.clear();
    return true;
  }
  if (name.size() >= 3 && name.compare(0, 2, L"..") == 0 && platform::IsPathSeparator(name[2])) {
    name.erase(0, 3);
    return true;
  }
  return false;
}

}  // namespace

std::wstring DecodeEntryName(std::string_view bytes) {
  return platform::DecodeUtf8(bytes.substr(0, bytes.find('\0')));
}

std::wstring CleanEntryName(std::wstring name) {
  while (ApplyFirstRule(name)) {
  }
  return name;
}

bool ClimbsAboveBase(std::wstring_view relativeName) {
  int depth = 0;
  std::size_t start = 0;
  while (start <= relativeName.size()) {
    std::size_t end = start;
    while (end < relativeName.size() && !platform::IsPathSeparator(relativeName[end])) ++end;
    std::wstring_view step = relativeName.substr(start, end - start);
    if (step == L"..") {
      if (--depth < 0) return true;
    } else if (!step.empty() && step != L".") {
      ++depth;
    }
    start = end + 1;
  }
  return false;
}
