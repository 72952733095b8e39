// Shows the package download's percent, speed and time left on the status
// line, once a second, and traces the same text every few seconds, while it
// passes each count on to the progress bar.
#pragma once

#include <cstdint>

#include "update/download_progress.h"
#include "update/download_speed.h"
#include "update/update_context.h"

class SpeedStatus final : public DownloadProgress {
 public:
  SpeedStatus(const UpdateContext& panel, DownloadProgress& bar) : panel_(panel), bar_(bar) {}

  void OnBytes(std::uint64_t received, std::uint64_t total) override;
  // The status line shows a speed, not the updating text.
  bool ShowsSpeed() const { return showsSpeed_; }

 private:
  const UpdateContext& panel_;
  DownloadProgress& bar_;
  SpeedAverage speed_;
  bool started_ = false;
  bool showsSpeed_ = false;
  SpeedAverage::Clock::time_point shownAt_;
  SpeedAverage::Clock::time_point tracedAt_;
};
