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
  if (attached_) {
    if (control_ != nullptr) control_->SetSilent(silent);
    return;
  }
  silent_ = silent;
}

void DeferredBrowser::Navigate(const std::wstring& url) {
  if (attached_) {
    if (control_ != nullptr) control_->Navigate(url);
    return;
  }
  url_ = url;
}

void DeferredBrowser::SetLeft(int pixels) {
  if (attached_) {
    if (control_ != nullptr) control_->SetLeft(pixels);
    return;
  }
  left_ = pixels;
}

void DeferredBrowser::SetTop(int pixels) {
  if (attached_) {
    if (control_ != nullptr) control_->SetTop(pixels);
    return;
  }
  top_ = pixels;
}

void DeferredBrowser::SetWidth(int pixels) {
  if (attached_) {
    if (control_ != nullptr) control_->SetWidth(pixels);
    return;
  }
  width_ = pixels;
}

void DeferredBrowser::SetHeight(int pixels) {
  if (attached_) {
    if (control_ != nullptr) control_->SetHeight(pixels);
    return;
  }
  height_ = pixels;
}

void DeferredBrowser::SetOpticalZoom(int percent) {
  if (attached_) {
    if (control_ != nullptr) control_->SetOpticalZoom(percent);
    return;
  }
  zoom_ = percent;
}

}  // namespace platform
