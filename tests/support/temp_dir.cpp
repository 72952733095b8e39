#include "temp_dir.h"

#include <fstream>
#include <iterator>
#include <random>

#include "platform/text_codec.h"

namespace {

// Test paths are made from wide names the same way the launcher hands them to
// the system, so non-ASCII names work whatever the locale.
std::filesystem::path ToPath(std::wstring_view name) {
#ifdef _WIN32
  return std::filesystem::path(std::wstring(name));
#else
  return std::filesystem::path(platform::EncodeUtf8(name));
#endif
}

std::wstring ToWide(const std::filesystem::path& path) {
#ifdef _WIN32
  return path.wstring();
#else
  return platform::DecodeUtf8(path.string());
#endif
}

}  // namespace

TempDir::TempDir() {
  std::random_device random;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("qelt-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::wstring TempDir::Wide() const {
  return ToWide(path_) + static_cast<wchar_t>(std::filesystem::path::preferred_separator);
}

std::wstring TempDir::WideFile(std::wstring_view name) const {
  return Wide() + std::wstring(name);
}

void TempDir::Write(std::wstring_view name, std::string_view bytes) const {
  std::ofstream out(path_ / ToPath(name), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir::Read(std::wstring_view name) const {
  std::ifstream in(path_ / ToPath(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
