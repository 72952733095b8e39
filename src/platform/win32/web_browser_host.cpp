#include "platform/win32/web_browser_host.h"

#include <exdisp.h>

#include <memory>

#include "platform/com_ptr.h"
#include "platform/event_connection.h"

#include "platform/win32/browser_event_sink.h"
#include "platform/win32/ole_site.h"
#include "platform/win32/web_browser_dispatch.h"

namespace platform {

namespace {

struct HostedControl {
  ComPtr<OleSite> site;
  ComPtr<BrowserEventSink> sink;
  EventConnection connection;
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

std::unique_ptr<HostedControl> CreateControl(HWND host) {
  ComPtr<IOleObject> object;
  if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                object.PutVoid()))) {
    return nullptr;
  }
  auto control = std::make_unique<HostedControl>();
  control->site.Reset(OleSite::Create(::GetParent(host), host));
  control->site->Activate(object.Get(), PlaceInParent(host));
  control->sink.Reset(BrowserEventSink::Create());
  control->connection.Connect(object.Get(), DIID_DWebBrowserEvents2, control->sink.Get());
  ComPtr<IDispatch> dispatch;
  if (SUCCEEDED(object->QueryInterface(IID_IDispatch, dispatch.PutVoid()))) {
    control->dispatch.Bind(dispatch.Get());
  }
  return control;
}

void DestroyControl(std::unique_ptr<HostedControl> control) {
  if (!control) return;
  control->connection.Disconnect();
  control->sink->SetEvents(nullptr);
  control->dispatch.Bind(nullptr);
  control->site->Close();
}

LRESULT CALLBACK HostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      DestroyControl(std::unique_ptr<HostedControl>(
          reinterpret_cast<HostedControl*>(::SetWindowLongPtrW(host, GWLP_USERDATA, 0))));
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

void StartHostedBrowser(HWND host) {
  if (ControlOf(host) != nullptr) return;
  // The window holds the control from here until WM_DESTROY.
  ::SetWindowLongPtrW(host, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(CreateControl(host).release()));
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
