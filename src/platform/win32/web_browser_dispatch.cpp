#include "platform/win32/web_browser_dispatch.h"

namespace platform {

namespace {

constexpr DISPID kNavigate = 104;
constexpr DISPID kLeft = 206;
constexpr DISPID kTop = 207;
constexpr DISPID kWidth = 208;
constexpr DISPID kHeight = 209;
constexpr DISPID kExecWB = 502;
constexpr DISPID kSilent = 551;
constexpr LONG kOpticalZoom = 63;  // OLECMDID_OPTICAL_ZOOM
constexpr LONG kDoDefault = 0;     // OLECMDEXECOPT_DODEFAULT

VARIANT Long(LONG value) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = value;
  return variant;
}

VARIANT ReferenceTo(VARIANT* target) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_VARIANT | VT_BYREF;
  variant.pvarVal = target;
  return variant;
}

}  // namespace

void WebBrowserDispatch::Bind(IDispatch* control) {
  if (control != nullptr) control->AddRef();
  control_.Reset(control);
}

void WebBrowserDispatch::PutProperty(DISPID id, VARIANT value) {
  if (!control_) return;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  lastResult_ = control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                                 nullptr, nullptr, nullptr);
}

void WebBrowserDispatch::CallMethod(DISPID id, VARIANT* argumentsLastFirst, UINT count) {
  if (!control_) return;
  DISPPARAMS params{argumentsLastFirst, nullptr, count, 0};
  lastResult_ = control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                 nullptr, nullptr, nullptr);
}

void WebBrowserDispatch::SetSilent(bool silent) {
  VARIANT value;
  ::VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = silent ? VARIANT_TRUE : VARIANT_FALSE;
  PutProperty(kSilent, value);
}

void WebBrowserDispatch::Navigate(const std::wstring& url) {
  if (!control_) return;
  // Flags, TargetFrameName, PostData and Headers all point to one empty
  // VARIANT.
  VARIANT empty;
  ::VariantInit(&empty);
  VARIANT arguments[5];
  for (int i = 0; i < 4; ++i) arguments[i] = ReferenceTo(&empty);
  ::VariantInit(&arguments[4]);
  arguments[4].vt = VT_BSTR;
  arguments[4].bstrVal = ::SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
  CallMethod(kNavigate, arguments, 5);
  ::VariantClear(&arguments[4]);
  ::VariantClear(&empty);
}

void WebBrowserDispatch::SetLeft(int pixels) {
  PutProperty(kLeft, Long(pixels));
}

void WebBrowserDispatch::SetTop(int pixels) {
  PutProperty(kTop, Long(pixels));
}

void WebBrowserDispatch::SetWidth(int pixels) {
  PutProperty(kWidth, Long(pixels));
}

void WebBrowserDispatch::SetHeight(int pixels) {
  PutProperty(kHeight, Long(pixels));
}

void WebBrowserDispatch::SetOpticalZoom(int percent) {
  VARIANT zoom = Long(percent);
  // The output is not wanted; an empty VARIANT takes it.
  VARIANT unused;
  ::VariantInit(&unused);
  VARIANT arguments[4] = {ReferenceTo(&unused), ReferenceTo(&zoom), Long(kDoDefault),
                          Long(kOpticalZoom)};
  CallMethod(kExecWB, arguments, 4);
  ::VariantClear(&unused);
  ::VariantClear(&zoom);
}

}  // namespace platform
