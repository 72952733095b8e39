#include "update/download_speed.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t kMebibyte = 1024 * 1024;

TEST(SpeedStatusText, SaysThePercentTheSpeedAndTheTimeLeft) {
  EXPECT_EQ(SpeedStatusText(37 * kMebibyte, 100 * kMebibyte, 1.0 * kMebibyte),
            L"正在更新 37%  1.0MB/s  剩余1分3秒");
  EXPECT_EQ(SpeedStatusText(5 * kMebibyte, 50 * kMebibyte, 2.5 * kMebibyte),
            L"正在更新 10%  2.5MB/s  剩余18秒");
  EXPECT_EQ(SpeedStatusText(5 * kMebibyte, 0, 512.0 * 1024), L"正在更新  512KB/s");
  // A stalled download says no time it cannot keep.
  EXPECT_EQ(SpeedStatusText(1, 100 * kMebibyte, 0.0), L"正在更新 0%  0KB/s");
}

TEST(SpeedAverage, ABurstMovesTheFigureLittleAndAStallBringsItDown) {
  SpeedAverage speed;
  SpeedAverage::Clock::time_point at{};
  std::uint64_t received = 0;
  for (int tick = 0; tick <= 100; ++tick, at += 100ms, received += kMebibyte / 10) {
    speed.Add(received, at);
  }
  ASSERT_TRUE(speed.BytesPerSecond());
  EXPECT_NEAR(*speed.BytesPerSecond(), kMebibyte, kMebibyte / 20);
  speed.Add(received + 10 * kMebibyte, at);
  speed.Add(received + 10 * kMebibyte, at + 100ms);
  EXPECT_LT(*speed.BytesPerSecond(), 5.0 * kMebibyte);
  speed.Add(received + 10 * kMebibyte, at + 15s);
  EXPECT_LT(*speed.BytesPerSecond(), kMebibyte / 10);
}

// Buffered bytes read a moment after the first count say nothing of the
// line: after a second the figure is the second's average.
TEST(SpeedAverage, AnEarlyBurstDoesNotDecideTheFirstFigures) {
  SpeedAverage speed;
  SpeedAverage::Clock::time_point at{};
  speed.Add(0, at);
  std::uint64_t received = 256 * 1024;
  speed.Add(received, at += 1ms);
  for (int tick = 0; tick < 10; ++tick) speed.Add(received += kMebibyte / 10, at += 100ms);
  ASSERT_TRUE(speed.BytesPerSecond());
  EXPECT_NEAR(*speed.BytesPerSecond(), 1.25 * kMebibyte, kMebibyte / 10);
}

}  // namespace
