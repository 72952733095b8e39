#include "update/speed_status.h"

#include <chrono>
#include <string>

#include "update/update_report.h"

namespace {

constexpr auto kShowInterval = std::chrono::seconds(1);
constexpr auto kTraceInterval = std::chrono::seconds(5);

}  // namespace

void SpeedStatus::OnBytes(std::uint64_t received, std::uint64_t total) {
  bar_.OnBytes(received, total);
  auto now = SpeedAverage::Clock::now();
  // The first second's figures are too few to mean anything.
  if (!started_) {
    started_ = true;
    shownAt_ = now;
    // The first text shown is traced at once, the later ones seldom.
    tracedAt_ = now - kTraceInterval;
  }
  speed_.Add(received, now);
  if (!speed_.BytesPerSecond() || now - shownAt_ < kShowInterval) return;
  shownAt_ = now;
  std::wstring text = SpeedStatusText(received, total, speed_.BytesPerSecond());
  ShowStatus(panel_, text.c_str());
  showsSpeed_ = true;
  if (now - tracedAt_ < kTraceInterval) return;
  tracedAt_ = now;
  panel_.trace->Write(L"\n" + text);
}
