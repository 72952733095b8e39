// The web view module (web_view_engine.h), compiled into the launcher as a
// resource so the launcher stays one file, and loaded from memory the first
// time a web view is needed. It is never unloaded: WebKit cannot be.
#pragma once

#include "platform/linux/web_view_engine.h"

namespace platform {

struct WebViewModule {
  MakeWebViewEngine make = nullptr;
  ClearWebViewDiskCache clearDiskCache = nullptr;
};

// Null when the module cannot be loaded, which is reported once on stderr.
const WebViewModule* LoadWebViewModule();

}  // namespace platform
