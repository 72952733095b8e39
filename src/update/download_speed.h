// The download's speed and time left on the status line, as a player reads
// them: "正在更新 37%  2.4MB/s  剩余3分12秒".
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Bytes per second, averaged exponentially over about three seconds so the
// figure does not jump with each network read. For the first three seconds
// it is the plain average since the first count: one early sample, a burst
// of buffered bytes read in a millisecond, would otherwise weigh for seconds.
class SpeedAverage {
 public:
  using Clock = std::chrono::steady_clock;

  // The download's count at `at`; counts never go back within a download.
  void Add(std::uint64_t received, Clock::time_point at);
  // None until two counts a moment apart have been added.
  std::optional<double> BytesPerSecond() const { return speed_; }

 private:
  std::optional<Clock::time_point> firstAt_;
  std::uint64_t firstReceived_ = 0;
  std::optional<Clock::time_point> lastAt_;
  std::uint64_t lastReceived_ = 0;
  std::optional<double> speed_;
};

// The status line's text: the percent when the total is known, the speed,
// and the time left when both are known, in minutes and seconds or seconds
// alone under a minute.
std::wstring SpeedStatusText(std::uint64_t received, std::uint64_t total,
                             std::optional<double> bytesPerSecond);
