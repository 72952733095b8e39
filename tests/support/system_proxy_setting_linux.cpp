#include <gio/gio.h>

#include <cstdlib>

#include "system_proxy_setting.h"

struct SystemProxySetting::Saved {};

namespace {

void SetProxyMode(const char* mode) {
  GSettings* proxy = g_settings_new("org.gnome.system.proxy");
  g_settings_set_string(proxy, "mode", mode);
  g_object_unref(proxy);
}

}  // namespace

std::unique_ptr<SystemProxySetting> SystemProxySetting::Fixed(const std::string& hostPort) {
  // Settings that live and die with this process, read by GLib's GNOME
  // resolver, which the desktop's name selects.
  setenv("GSETTINGS_BACKEND", "memory", 1);
  setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
  std::size_t colon = hostPort.rfind(':');
  GSettings* http = g_settings_new("org.gnome.system.proxy.http");
  g_settings_set_string(http, "host", hostPort.substr(0, colon).c_str());
  g_settings_set_int(http, "port", std::atoi(hostPort.c_str() + colon + 1));
  g_object_unref(http);
  // By default loopback addresses go direct.
  GSettings* proxy = g_settings_new("org.gnome.system.proxy");
  g_settings_set_strv(proxy, "ignore-hosts", nullptr);
  g_object_unref(proxy);
  SetProxyMode("manual");
  return std::unique_ptr<SystemProxySetting>(new SystemProxySetting(std::make_unique<Saved>()));
}

SystemProxySetting::SystemProxySetting(std::unique_ptr<Saved> saved) : saved_(std::move(saved)) {}

SystemProxySetting::~SystemProxySetting() {
  SetProxyMode("none");
}
