#include "platform/win32/deferred_browser.h"

namespace platform {

void DeferredBrowser::Attach(BrowserControl* control) {
  attached_ = true;
  control_ = control;
  if (control_ == nullptr) return;
  if (silent_) control_->SetSilent(*silent_);
  if (left_) control_->SetLeft(*left_);
  if (top_) control_->SetTop(*top_);
  if (width_) control_->SetWidth(*width_);
  if (height_) control_->SetHeight(*height_);
  if (zoom_) control_->SetOpticalZoom(*zoom_);
  if (url_) control_->Navigate(*url_);
}

void DeferredBrowser::SetSilent(bool silent) {
  Pass(silent_, silent, &BrowserControl::SetSilent);
}

void DeferredBrowser::Navigate(const std::wstring& url) {
  Pass(url_, url, &BrowserControl::Navigate);
}

void DeferredBrowser::SetLeft(int pixels) {
  Pass(left_, pixels, &BrowserControl::SetLeft);
}

void DeferredBrowser::SetTop(int pixels) {
  Pass(top_, pixels, &BrowserControl::SetTop);
}

void DeferredBrowser::SetWidth(int pixels) {
  Pass(width_, pixels, &BrowserControl::SetWidth);
}

void DeferredBrowser::SetHeight(int pixels) {
  Pass(height_, pixels, &BrowserControl::SetHeight);
}

void DeferredBrowser::SetOpticalZoom(int percent) {
  Pass(zoom_, percent, &BrowserControl::SetOpticalZoom);
}

}  // namespace platform
