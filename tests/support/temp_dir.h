// A scratch directory for one test, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::filesystem::path& Path() const { return path_; }
  // The directory as a wide string, ending with a separator.
  std::wstring Wide() const;
  std::wstring WideFile(std::wstring_view name) const;

  void Write(std::wstring_view name, std::string_view bytes) const;
  std::string Read(std::wstring_view name) const;

 private:
  std::filesystem::path path_;
};
