// The proxy the desktop names for an address, as WebKitGTK finds it: GLib's
// default proxy resolver (the GNOME settings, libproxy or the portal,
// whichever the session has).
#pragma once

#include <optional>
#include <string>

namespace platform {

// The proxy for `url` in the form libcurl takes ("http://host:port",
// "socks5://host:port"); none when the desktop says "direct://" or names no
// proxy libcurl can use, which leaves libcurl's own environment rule.
std::optional<std::string> DesktopProxyFor(const std::string& url);

}  // namespace platform
