#include "platform/linux/web_view_control.h"

#include <string>
#include <utility>

#include "platform/linux/web_view_module.h"
#include "platform/text_codec.h"

namespace platform {

void WebViewControl::Start() {
  if (engine_) return;
  const WebViewModule* module = LoadWebViewModule();
  if (module == nullptr) return;
  engine_.reset(module->make(container_, this));
  Place();
  SetOpticalZoom(zoomPercent_);
  SetVisible(visible_);
  if (!pendingUrl_.empty()) Navigate(std::exchange(pendingUrl_, std::wstring()));
}

void WebViewControl::SetVisible(bool visible) {
  visible_ = visible;
  if (engine_) engine_->SetVisible(visible);
}

void WebViewControl::Navigate(const std::wstring& url) {
  if (!engine_) {
    pendingUrl_ = url;
    return;
  }
  engine_->Navigate(EncodeUtf8(url).c_str());
}

void WebViewControl::SetLeft(int pixels) {
  left_ = pixels;
  Place();
}

void WebViewControl::SetTop(int pixels) {
  top_ = pixels;
  Place();
}

void WebViewControl::SetWidth(int pixels) {
  width_ = pixels;
  Place();
}

void WebViewControl::SetHeight(int pixels) {
  height_ = pixels;
  Place();
}

void WebViewControl::SetOpticalZoom(int percent) {
  if (percent <= 0) return;
  zoomPercent_ = percent;
  if (engine_) engine_->SetZoomLevel(percent / 100.0);
}

void WebViewControl::Place() {
  if (engine_) engine_->Place(left_, top_, width_ > 0 ? width_ : 1, height_ > 0 ? height_ : 1);
}

bool WebViewControl::ClearDiskCache() {
  const WebViewModule* module = LoadWebViewModule();
  return module != nullptr && module->clearDiskCache();
}

bool WebViewControl::BeforeNavigate(const char* url) {
  bool cancel = false;
  if (events_ != nullptr) events_->BeforeNavigate(DecodeUtf8(url), cancel);
  return cancel;
}

void WebViewControl::NewWindow(const char* url) {
  bool cancel = false;
  if (events_ != nullptr) events_->NewWindow(DecodeUtf8(url), cancel);
}

void WebViewControl::NavigateComplete(const char* url) {
  if (events_ != nullptr) events_->NavigateComplete(DecodeUtf8(url));
}

void WebViewControl::DocumentComplete(const char* url) {
  if (events_ != nullptr) events_->DocumentComplete(DecodeUtf8(url));
}

}  // namespace platform
