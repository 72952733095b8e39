// The system's archive files on a volume with as much room as the test says,
// counting which files are opened for reading.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/forwarding_archive_files.h"

class SmallDisk final : public ForwardingArchiveFiles {
 public:
  std::optional<std::uint64_t> AvailableBytes(const std::wstring&) const override {
    return free.load();
  }
  std::unique_ptr<platform::ArchiveStream> OpenArchive(const std::wstring& path) const override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      opened_.push_back(path);
    }
    return ForwardingArchiveFiles::OpenArchive(path);
  }

  // How often a path ending with `tail` was opened since the last call.
  std::size_t TakeOpens(std::wstring_view tail) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t count = 0;
    for (const std::wstring& path : opened_) {
      count += path.size() >= tail.size() &&
               path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    }
    opened_.clear();
    return count;
  }

  std::atomic<std::uint64_t> free{0};

 private:
  mutable std::mutex mutex_;
  mutable std::vector<std::wstring> opened_;
};
