#include "update/download_rules.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "files/file_text.h"

namespace {

// The floor's window advances in steps of a sixtieth: a second of a minute.
constexpr int kFloorSteps = 60;

}  // namespace

DownloadRules ManifestDownloadRules() {
  DownloadRules rules;
  // As much as is read back: a client of 20,000 files lists some 2.3 MB.
  rules.mostBytes = kMaxTextFileBytes;
  rules.timeLimit = std::chrono::seconds(60);
  return rules;
}

DownloadRules PackageDownloadRules() {
  DownloadRules rules;
  rules.resumable = true;
  rules.retryPauses = {std::chrono::seconds(1), std::chrono::seconds(2), std::chrono::seconds(4),
                       std::chrono::seconds(8)};
  return rules;
}

DownloadRules CappedRules(DownloadRules rules, std::uint64_t kibPerSecond) {
  if (kibPerSecond == 0) return rules;
  rules.mostBytesPerSecond = kibPerSecond * 1024;
  rules.floorBytesPerSecond = std::min(rules.floorBytesPerSecond, rules.mostBytesPerSecond / 2);
  return rules;
}

std::uint64_t DeclaredSizeLimit(double declared) {
  if (!(declared >= 1)) return 1;
  if (declared >= 18446744073709551615.0) return UINT64_MAX;
  return static_cast<std::uint64_t>(std::floor(declared));
}

std::chrono::milliseconds TransportTimeLimit(const DownloadRules& rules) {
  if (rules.timeLimit.count() <= 0) return std::chrono::milliseconds(0);
  return rules.timeLimit + std::chrono::seconds(1);
}

TransferWatch::TransferWatch(const DownloadRules& rules)
    : rules_(rules), started_(Clock::now()), windowStart_(started_) {
  samples_.emplace_back(started_, 0);
}

void TransferWatch::Count(std::uint64_t bytes) {
  received_ += bytes;
  if (rules_.mostBytesPerSecond == 0) return;
  std::chrono::duration<double> due(static_cast<double>(received_) /
                                    static_cast<double>(rules_.mostBytesPerSecond));
  std::this_thread::sleep_until(started_ + std::chrono::duration_cast<Clock::duration>(due));
}

TransferVerdict TransferWatch::Check() {
  auto now = Clock::now();
  if (rules_.timeLimit.count() > 0 && now - started_ > rules_.timeLimit) {
    return TransferVerdict::TooLong;
  }
  if (SlowerThanFloor(now)) return TransferVerdict::TooSlow;
  if (now - windowStart_ < rules_.lowSpeedTime) return TransferVerdict::Going;
  double seconds = std::chrono::duration<double>(now - windowStart_).count();
  bool slow = static_cast<double>(received_ - windowReceived_) <
              static_cast<double>(rules_.lowSpeedBytesPerSecond) * seconds;
  windowStart_ = now;
  windowReceived_ = received_;
  return slow ? TransferVerdict::Stalled : TransferVerdict::Going;
}

TransferVerdict TransferWatch::TimedOut() const {
  bool pastLimit = rules_.timeLimit.count() > 0 && Clock::now() - started_ >= rules_.timeLimit;
  return pastLimit ? TransferVerdict::TooLong : TransferVerdict::Stalled;
}

bool TransferWatch::SlowerThanFloor(Clock::time_point now) {
  if (rules_.floorBytesPerSecond == 0 || rules_.floorTime.count() <= 0) return false;
  if (now - samples_.back().first >= rules_.floorTime / kFloorSteps) {
    samples_.emplace_back(now, received_);
  }
  const Clock::time_point windowStart = now - rules_.floorTime;
  while (samples_.size() > 1 && samples_[1].first <= windowStart) samples_.pop_front();
  // Not a whole window yet.
  if (samples_.front().first > windowStart) return false;
  double seconds = std::chrono::duration<double>(now - samples_.front().first).count();
  return static_cast<double>(received_ - samples_.front().second) <
         static_cast<double>(rules_.floorBytesPerSecond) * seconds;
}
