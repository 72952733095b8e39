// A download listener that keeps every notification.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "update/download_progress.h"

class RecordingProgress final : public DownloadProgress {
 public:
  void OnBytes(std::uint64_t received, std::uint64_t total) override {
    calls.emplace_back(received, total);
  }

  // (received, total) in order.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
};
