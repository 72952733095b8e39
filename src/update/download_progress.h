// How a download tells what it has: the bytes of the file so far (counting a
// resumed part) and the whole file's size, 0 while unknown. The counts stay
// 64-bit here; only the panel's adapter, CBindCallback, scales them for its
// ULONG arguments.
#pragma once

#include <chrono>
#include <cstdint>

class DownloadProgress {
 public:
  virtual void OnBytes(std::uint64_t received, std::uint64_t total) = 0;

 protected:
  ~DownloadProgress() = default;
};

// When the listener hears of new bytes. A notification for every chunk cost
// two trace lines each and made downloads a quarter slower, so it hears the
// first count, each change of the whole percent, every 50 ms while the total
// is unknown, at least once a second (the speed on the status line), and the
// last count.
class ProgressSteps {
 public:
  // `listener` may be null.
  explicit ProgressSteps(DownloadProgress* listener) : listener_(listener) {}

  // Passed on when the bar would move.
  void Update(std::uint64_t received, std::uint64_t total);
  // Passed on unless it was the last count passed on: the end of a download.
  void Settle(std::uint64_t received, std::uint64_t total);

 private:
  void Pass(std::uint64_t received, std::uint64_t total);

  DownloadProgress* listener_;
  bool passed_ = false;
  std::uint64_t passedAt_ = 0;
  std::int64_t passedPercent_ = -1;
  std::chrono::steady_clock::time_point passedWhen_;
};
