// The system's archive files on a volume with as much room as the test says.
#pragma once

#include <atomic>
#include <cstdint>

#include "fakes/forwarding_archive_files.h"

class SmallDisk final : public ForwardingArchiveFiles {
 public:
  std::optional<std::uint64_t> AvailableBytes(const std::wstring&) const override {
    return free.load();
  }
  std::atomic<std::uint64_t> free{0};
};
