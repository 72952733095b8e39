// The launcher panel's shared state: configuration values, the client root
// directory, the manifest values, progress and the busy and redraw flags.
//
// The user-interface thread and the two update workers share it. It is held
// by shared_ptr so that a worker still running after the panel's window has
// gone only touches live memory. Flags and the progress value are atomics; a
// worker publishes each text before the flag that lets another thread use it.
#pragma once

#include <atomic>
#include <set>
#include <string>
#include <string_view>

#include "files/config_text.h"
#include "files/launcher_config.h"
#include "files/package_manifest.h"

namespace platform {
class Environment;
}

struct PanelState {
  // Forms the client root directory "micro" beside the executable (ending
  // with a separator) and creates it.
  explicit PanelState(const platform::Environment& environment);
  // Without a client root directory: for tools that only show progress.
  PanelState() = default;
  PanelState(const PanelState&) = delete;
  PanelState& operator=(const PanelState&) = delete;

  // Full length and thickness of the progress bar, in design units.
  static constexpr int m_nProgressWidth = 565;
  static constexpr int m_nProgressHeight = 5;

  // Download progress in percent, written by the package thread; not limited
  // to 0..100 by its writer.
  std::atomic<int> m_nProgress{1};
  // Set while the package download runs; painting draws the bar only then.
  std::atomic<bool> m_bShowProgress{false};
  // Client root directory; empty when the executable's directory is too long
  // to hold it. Read-only after construction.
  std::wstring m_strMicroDir;
  // Set by the workers after they change the status line; the next erase of
  // the panel paints it and clears the flag.
  std::atomic<bool> m_bRedrawPending{false};

  // Configuration values, set on the user-interface thread before the update
  // check starts; they point into `config`.
  const char* m_verUrl = nullptr;
  const char* m_nestedPage = nullptr;
  const char* m_loginUrl = nullptr;
  LauncherConfig config;
  // The player asked ("--verify") for every listed file's bytes to be
  // checked, not only its size; set with the configuration.
  bool verifyFiles = false;

  // Written once by the update-check thread; they point into `manifest` and
  // `manifestText`, which that thread fills before publishing them.
  std::atomic<const char*> m_clientUrl{nullptr};
  std::atomic<const char*> m_exePath{nullptr};
  std::atomic<const char*> m_newManifestText{nullptr};
  PackageManifest manifest;
  std::string manifestText;
  // Full path of "pkg.json"; written before the package thread starts.
  std::wstring m_strPkgPath;
  // The listed files (stored names) a verify run found to be their listed
  // bytes; written before the package thread starts, which then need not
  // read them again.
  std::set<std::string> verifiedFiles;

  // Set while an update runs and after a failed one: launching is refused.
  std::atomic<bool> m_bUpdating{false};

  // Takes the configuration's values into the members above.
  void AdoptConfig(LauncherConfig&& newConfig);

  // The text members as text: null reads as empty.
  std::string_view VerUrl() const { return ConfigText(m_verUrl); }
  std::string_view NestedPage() const { return ConfigText(m_nestedPage); }
  std::string_view LoginUrl() const { return ConfigText(m_loginUrl); }
  std::string_view ClientUrl() const { return ConfigText(m_clientUrl.load()); }
  std::string_view ExePath() const { return ConfigText(m_exePath.load()); }
};
