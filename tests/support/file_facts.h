// What the tests check about extracted files, read back from the system.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

struct FileFacts {
  std::uint64_t writeTime = 0;  // 100-nanosecond units since 1601, UTC
  std::uint64_t accessTime = 0;
  bool readOnly = false;
  // Permission bits on Linux; 0 on Windows.
  std::uint32_t permissions = 0;
};

std::optional<FileFacts> ReadFileFacts(const std::filesystem::path& path);

// Lets a test delete or replace a file it made read-only.
void MakeWritable(const std::filesystem::path& path);
