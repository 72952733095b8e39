#include "platform/win32/web_browser_host.h"

#include <exdisp.h>

#include "platform/win32/browser_event_sink.h"
#include "platform/win32/ole_site.h"
#include "platform/win32/web_browser_dispatch.h"

namespace platform {

namespace {

struct HostedControl {
  OleSite* site = nullptr;
  BrowserEventSink* sink = nullptr;
  BrowserEventConnection connection;
  WebBrowserDispatch dispatch;
};

HostedControl* ControlOf(HWND host) {
  WCHAR name[64] = {};
  if (host == nullptr || ::GetClassNameW(host, name, 64) == 0 ||
      ::lstrcmpiW(name, kWebBrowserClassName) != 0) {
    return nullptr;
  }
  return reinterpret_cast<HostedControl*>(::GetWindowLongPtrW(host, GWLP_USERDATA));
}

// The host's rectangle in its dialog's client coordinates.
RECT PlaceInParent(HWND host) {
  RECT rect{};
  ::GetWindowRect(host, &rect);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(host), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

HostedControl* CreateControl(HWND host) {
  IOleObject* object = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object)))) {
    return nullptr;
  }
  auto* control = new HostedControl();
  control->site = OleSite::Create(::GetParent(host), host);
  control->site->Activate(object, PlaceInParent(host));
  control->sink = BrowserEventSink::Create();
  control->connection.Connect(object, control->sink);
  IDispatch* dispatch = nullptr;
  if (SUCCEEDED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
    control->dispatch.Bind(dispatch);
    dispatch->Release();
  }
  object->Release();
  return control;
}

void DestroyControl(HostedControl* control) {
  if (control == nullptr) return;
  control->connection.Disconnect();
  control->sink->SetEvents(nullptr);
  control->dispatch.Bind(nullptr);
  control->site->Close();
  control->site->Release();
  control->sink->Release();
  delete control;
}

LRESULT CALLBACK HostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      ::SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(CreateControl(host)));
      return 0;
    case WM_DESTROY:
      DestroyControl(reinterpret_cast<HostedControl*>(::GetWindowLongPtrW(host, GWLP_USERDATA)));
      ::SetWindowLongPtrW(host, GWLP_USERDATA, 0);
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_ERASEBKGND:
      return 1;
    default:
      return ::DefWindowProcW(host, message, wParam, lParam);
  }
}

}  // namespace

void RegisterWebBrowserHostClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = HostProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWebBrowserClassName;
  ::RegisterClassExW(&windowClass);
}

BrowserControl* HostedBrowser(HWND host) {
  HostedControl* control = ControlOf(host);
  return control != nullptr ? &control->dispatch : nullptr;
}

void SetHostedBrowserEvents(HWND host, BrowserEvents* events) {
  if (HostedControl* control = ControlOf(host)) control->sink->SetEvents(events);
}

bool TranslateBrowserAccelerator(HWND host, MSG* message) {
  HostedControl* control = ControlOf(host);
  IOleInPlaceActiveObject* active = control != nullptr ? control->site->ActiveObject() : nullptr;
  return active != nullptr && active->TranslateAccelerator(message) == S_OK;
}

}  // namespace platform
