// The rules every transfer of the update obeys (the download step's and each
// range request's alike), and the watch that holds one transfer to them.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

struct DownloadRules {
  // Keep the partial file across failures and continue it next time.
  bool resumable = false;
  // 0: no limit.
  std::uint64_t mostBytes = 0;
  std::chrono::milliseconds timeLimit{0};
  // A transfer that moves fewer than `lowSpeedBytesPerSecond` on average
  // over `lowSpeedTime` has stalled (and is worth another attempt).
  std::uint64_t lowSpeedBytesPerSecond = 512;
  std::chrono::milliseconds lowSpeedTime{30000};
  // The floor: a transfer whose average over the last `floorTime` (a
  // sliding window) falls below `floorBytesPerSecond` is hopeless and given
  // up at once. 0: no floor.
  std::uint64_t floorBytesPerSecond = 8 * 1024;
  std::chrono::milliseconds floorTime{60000};
  // The pause before each further attempt after a dropped or stalled
  // transfer or a failed connection; empty: one attempt only.
  std::vector<std::chrono::milliseconds> retryPauses;
  // Off where another address of the file waits: a server that cannot be
  // reached at all is left at once, not after the pauses.
  bool retryUnreachable = true;
  // Hash the body as it is written, so a checked package is not read again.
  bool sha256 = false;
  // Continue a part whatever server gave it (no If-Range): only where the
  // whole file's SHA-256 is checked at the end, as for a pinned package
  // that moves to a mirror.
  bool continueAnyPart = false;
  // The player's cap: the transfer is held so that its average since its
  // start stays at or below this. 0: none.
  std::uint64_t mostBytesPerSecond = 0;
};

// The manifest: at most 4 MiB and 60 s, no resume, no retry.
DownloadRules ManifestDownloadRules();
// The package: resumable, four more attempts after 1, 2, 4 and 8 seconds.
DownloadRules PackageDownloadRules();

// `rules` under the player's cap of `kibPerSecond` (0: none). The floor is
// lowered to half the cap, so a capped download is never too slow by rule.
DownloadRules CappedRules(DownloadRules rules, std::uint64_t kibPerSecond);

// The size limit a declared size sets: the size itself, 1 for a size no
// file has (0 would mean no limit).
std::uint64_t DeclaredSizeLimit(double declared);

// The transport's own time limit for a transfer under `rules`: a second past
// the rules', so the watch decides and a limit reached reads as too long.
std::chrono::milliseconds TransportTimeLimit(const DownloadRules& rules);

enum class TransferVerdict { Going, TooLong, Stalled, TooSlow };

class TransferWatch {
 public:
  // The clocks start now; `rules` must outlive the watch.
  explicit TransferWatch(const DownloadRules& rules);

  // Under a cap, returns only when the bytes so far are within it: pacing
  // the reads holds a cap exactly where libcurl's own limit overshot.
  void Count(std::uint64_t bytes);
  // Whether the transfer may go on; call it often, also while nothing comes.
  TransferVerdict Check();
  // What the transport's time-out means: the time limit, or a stall.
  TransferVerdict TimedOut() const;

 private:
  using Clock = std::chrono::steady_clock;

  bool SlowerThanFloor(Clock::time_point now);

  const DownloadRules& rules_;
  Clock::time_point started_;
  std::uint64_t received_ = 0;
  Clock::time_point windowStart_;
  std::uint64_t windowReceived_ = 0;
  // (when, bytes so far) about every sixtieth of `floorTime`, back to the
  // newest one at or before the window's start.
  std::deque<std::pair<Clock::time_point, std::uint64_t>> samples_;
};
