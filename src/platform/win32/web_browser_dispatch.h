// The WebBrowser control driven through IDispatch::Invoke with its DISPIDs.
#pragma once

#include <oaidl.h>

#include "platform/browser_control.h"
#include "platform/com_ptr.h"

namespace platform {

class WebBrowserDispatch final : public BrowserControl {
 public:
  WebBrowserDispatch() = default;
  WebBrowserDispatch(const WebBrowserDispatch&) = delete;
  WebBrowserDispatch& operator=(const WebBrowserDispatch&) = delete;

  // Holds a reference to `control`; null unbinds, and calls then do nothing.
  void Bind(IDispatch* control);

  void SetSilent(bool silent) override;
  void Navigate(const std::wstring& url) override;
  void SetLeft(int pixels) override;
  void SetTop(int pixels) override;
  void SetWidth(int pixels) override;
  void SetHeight(int pixels) override;
  void SetOpticalZoom(int percent) override;

  // The result of the last call, for tests.
  HRESULT LastResult() const { return lastResult_; }

 private:
  void PutProperty(DISPID id, VARIANT value);
  void CallMethod(DISPID id, VARIANT* argumentsLastFirst, UINT count);

  ComPtr<IDispatch> control_;
  HRESULT lastResult_ = S_OK;
};

}  // namespace platform
