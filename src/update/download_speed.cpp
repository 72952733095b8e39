#include "update/download_speed.h"

#include <cmath>
#include <cwchar>

namespace {

constexpr double kAverageSeconds = 3.0;

std::wstring Format(const wchar_t* format, double value) {
  wchar_t text[32];
  std::swprintf(text, 32, format, value);
  return text;
}

std::wstring SpeedText(double bytesPerSecond) {
  constexpr double kMebibyte = 1024.0 * 1024.0;
  if (bytesPerSecond >= kMebibyte) return Format(L"%.1fMB/s", bytesPerSecond / kMebibyte);
  return Format(L"%.0fKB/s", bytesPerSecond / 1024.0);
}

std::wstring TimeLeftText(double seconds) {
  auto whole = static_cast<std::uint64_t>(std::ceil(seconds));
  if (whole < 60) return L"剩余" + std::to_wstring(whole) + L"秒";
  return L"剩余" + std::to_wstring(whole / 60) + L"分" + std::to_wstring(whole % 60) + L"秒";
}

}  // namespace

void SpeedAverage::Add(std::uint64_t received, Clock::time_point at) {
  if (!lastAt_) {
    firstAt_ = lastAt_ = at;
    firstReceived_ = lastReceived_ = received;
    return;
  }
  double seconds = std::chrono::duration<double>(at - *lastAt_).count();
  if (seconds <= 0.0 || received < lastReceived_) return;
  double sinceFirst = std::chrono::duration<double>(at - *firstAt_).count();
  if (sinceFirst < kAverageSeconds) {
    speed_ = static_cast<double>(received - firstReceived_) / sinceFirst;
  } else {
    double sample = static_cast<double>(received - lastReceived_) / seconds;
    double weight = 1.0 - std::exp(-seconds / kAverageSeconds);
    speed_ = *speed_ + weight * (sample - *speed_);
  }
  lastAt_ = at;
  lastReceived_ = received;
}

std::wstring SpeedStatusText(std::uint64_t received, std::uint64_t total,
                             std::optional<double> bytesPerSecond) {
  std::wstring text = L"正在更新";
  if (total > 0) {
    double percent = std::floor(static_cast<double>(received) * 100.0 / static_cast<double>(total));
    text += Format(L" %.0f%%", percent);
  }
  if (!bytesPerSecond) return text;
  text += L"  " + SpeedText(*bytesPerSecond);
  // Beyond a hundred hours the figure says nothing and would not fit.
  constexpr double kLongestSeconds = 100.0 * 3600.0;
  double seconds = *bytesPerSecond > 0.0 ? static_cast<double>(total - received) / *bytesPerSecond
                                         : kLongestSeconds;
  if (total > received && seconds < kLongestSeconds) text += L"  " + TimeLeftText(seconds);
  return text;
}
