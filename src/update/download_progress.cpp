#include "update/download_progress.h"

#include <cstdint>

namespace {

constexpr auto kUnknownTotalInterval = std::chrono::milliseconds(50);
constexpr auto kLongestInterval = std::chrono::seconds(1);

// The whole percent `received` is of `total`; -1 when the total is unknown.
std::int64_t WholePercent(std::uint64_t received, std::uint64_t total) {
  if (total == 0) return -1;
  // In double precision: received × 100 wraps in 64 bits past 2^57 bytes.
  double percent = static_cast<double>(received) * 100.0 / static_cast<double>(total);
  if (percent >= 9e18) return INT64_MAX;
  return static_cast<std::int64_t>(percent);
}

}  // namespace

void ProgressSteps::Update(std::uint64_t received, std::uint64_t total) {
  if (!passed_) return Pass(received, total);
  std::int64_t percent = WholePercent(received, total);
  bool moved = percent < 0 ? std::chrono::steady_clock::now() - passedWhen_ >= kUnknownTotalInterval
                           : percent != passedPercent_;
  if (moved) Pass(received, total);
}

void ProgressSteps::Settle(std::uint64_t received, std::uint64_t total) {
  if (!passed_ || passedAt_ != received) Pass(received, total);
}

void ProgressSteps::Pass(std::uint64_t received, std::uint64_t total) {
  passed_ = true;
  passedAt_ = received;
  passedPercent_ = WholePercent(received, total);
  passedWhen_ = std::chrono::steady_clock::now();
  if (listener_ != nullptr) listener_->OnBytes(received, total);
}
