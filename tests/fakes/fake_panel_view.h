// A panel window that records the calls the update workers make on it.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/panel_view.h"

class FakePanelView final : public PanelView {
 public:
  void SetStatusText(const std::wstring& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    statusTexts_.push_back(text);
  }
  void ShowProgressStrip(bool show) override {
    std::lock_guard<std::mutex> lock(mutex_);
    stripVisible_ = show;
    stripShownEver_ = stripShownEver_ || show;
  }
  void Invalidate() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++invalidations_;
  }

  std::vector<std::wstring> StatusTexts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return statusTexts_;
  }
  // The status line as the user sees it; empty when never set.
  std::wstring Status() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return statusTexts_.empty() ? std::wstring() : statusTexts_.back();
  }
  bool StripVisible() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stripVisible_;
  }
  bool StripShownEver() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stripShownEver_;
  }
  int Invalidations() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return invalidations_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> statusTexts_;
  bool stripVisible_ = false;
  bool stripShownEver_ = false;
  int invalidations_ = 0;
};
