// Points the user's proxy setting (the one the launcher's page follows) at a
// proxy for the life of the object, and puts the old setting back after it.
// On Windows: the Internet Options of the test's registry. On Linux: the
// GNOME proxy settings in GLib's memory backend, so nothing of the desktop's
// is touched; it must come before the process's first use of GSettings.
#pragma once

#include <memory>
#include <string>

class SystemProxySetting {
 public:
  // `hostPort` as "127.0.0.1:PORT"; no address is exempt from it.
  static std::unique_ptr<SystemProxySetting> Fixed(const std::string& hostPort);
#ifdef _WIN32
  // The proxy that the script at `scriptUrl` (a PAC file) names. (GLib runs
  // scripts in a D-Bus service, out of a headless test's reach.)
  static std::unique_ptr<SystemProxySetting> Script(const std::string& scriptUrl);
#endif

  SystemProxySetting(const SystemProxySetting&) = delete;
  SystemProxySetting& operator=(const SystemProxySetting&) = delete;
  ~SystemProxySetting();

 private:
  struct Saved;
  explicit SystemProxySetting(std::unique_ptr<Saved> saved);
  std::unique_ptr<Saved> saved_;
};
