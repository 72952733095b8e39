// A launcher beside a configuration file in a scratch directory, with fake
// windows, folders and display.
#pragma once

#include <string>

#include "fakes/fake_environment.h"
#include "fakes/fake_folder_cleaner.h"
#include "fakes/fake_window_system.h"
#include "platform/services.h"
#include "temp_dir.h"

inline constexpr const char* kGoodConfig =
    R"({"ver_url":"http://127.0.0.1:1/pkg.json","nested_page":"http://127.0.0.1:1/index.html",)"
    R"("login_url":"/login?"})";

class LauncherFixture {
 public:
  explicit LauncherFixture(int dpi = 96, const char* config = kGoodConfig)
      : environment(dir.WideFile(L"launcher"), dpi) {
    if (config != nullptr) dir.Write(L"launcher.json", config);
    services.environment = &environment;
    services.windows = &windows;
    services.folders = &folders;
  }

  TempDir dir;
  FakeEnvironment environment;
  FakeWindowSystem windows;
  FakeFolderCleaner folders;
  platform::Services services;
};
