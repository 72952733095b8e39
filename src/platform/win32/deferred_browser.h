// The browser as the launcher drives it before the control exists: the
// control is made after the window's first frame, and what was asked of it
// until then is kept and replayed onto it.
#pragma once

#include <optional>
#include <string>

#include "platform/browser_control.h"

namespace platform {

class DeferredBrowser final : public BrowserControl {
 public:
  // Replays the settings and the last navigation onto `control`, then
  // passes every call on to it. Null keeps the calls going nowhere.
  void Attach(BrowserControl* control);

  void SetSilent(bool silent) override;
  void Navigate(const std::wstring& url) override;
  void SetLeft(int pixels) override;
  void SetTop(int pixels) override;
  void SetWidth(int pixels) override;
  void SetHeight(int pixels) override;
  void SetOpticalZoom(int percent) override;

 private:
  // Passes the call on once attached; keeps its value until then.
  template <typename Value, typename Argument>
  void Pass(std::optional<Value>& kept, const Value& value,
            void (BrowserControl::*call)(Argument)) {
    if (!attached_) {
      kept = value;
    } else if (control_ != nullptr) {
      (control_->*call)(value);
    }
  }

  BrowserControl* control_ = nullptr;
  bool attached_ = false;
  std::optional<bool> silent_;
  std::optional<std::wstring> url_;
  std::optional<int> left_;
  std::optional<int> top_;
  std::optional<int> width_;
  std::optional<int> height_;
  std::optional<int> zoom_;
};

}  // namespace platform
