// A launcher beside a configuration file in a scratch directory, with fake
// windows, folders, display and downloads, and the system's archive files.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "fakes/fake_environment.h"
#include "fakes/fake_folder_cleaner.h"
#include "fakes/fake_folder_locks.h"
#include "fakes/fake_launch_services.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_transport.h"
#include "fakes/fake_window_system.h"
#include "platform/archive_files.h"
#include "platform/services.h"
#include "temp_dir.h"

inline constexpr const char* kGoodConfig =
    R"({"ver_url":"http://127.0.0.1:1/pkg.json","nested_page":"http://127.0.0.1:1/index.html",)"
    R"("login_url":"/login?"})";

class LauncherFixture {
 public:
  struct Gate {
    void Wait() {
      std::unique_lock<std::mutex> lock(mutex);
      ++waiting;
      changed.notify_all();
      changed.wait(lock, [this] { return open; });
    }
    void Open() {
      std::lock_guard<std::mutex> lock(mutex);
      open = true;
      changed.notify_all();
    }
    // True once a download waits here, at most ten seconds on.
    bool WaitForArrival() {
      std::unique_lock<std::mutex> lock(mutex);
      return changed.wait_for(lock, std::chrono::seconds(10), [this] { return waiting > 0; });
    }
    std::mutex mutex;
    std::condition_variable changed;
    int waiting = 0;
    bool open = false;
  };
  std::shared_ptr<Gate> gate = std::make_shared<Gate>();

  explicit LauncherFixture(int dpi = 96, const char* config = kGoodConfig)
      : environment(dir.WideFile(L"launcher"), dpi) {
    if (config != nullptr) dir.Write(L"launcher.json", config);
    services.environment = &environment;
    services.windows = &windows;
    services.folders = &folders;
    services.folderLocks = &locks;
    services.transport = downloader;
    services.registry = &registry;
    services.processLauncher = &processes;
    services.shell = &shell;
    services.trace = &trace;
    services.archiveFiles = archiveFiles.get();
    // The update check waits at its first download until the test is over,
    // so it never touches the panel while a test looks at it.
    downloader->OnRequest([gate = gate](const std::wstring&) { gate->Wait(); });
  }
  // The update workers use the trace and the archive files, which go with
  // this fixture, for as long as they hold the transport. Waiting for the
  // transport's deletion, not polling its count, also orders their last
  // writes before this fixture goes (as thread sanitizers see it).
  ~LauncherFixture() {
    gate->Open();
    services.transport.reset();
    downloader.reset();
    std::unique_lock<std::mutex> lock(transportGone->mutex);
    transportGone->changed.wait(lock, [this] { return transportGone->gone; });
  }

  TempDir dir;
  FakeEnvironment environment;
  FakeWindowSystem windows;
  FakeFolderCleaner folders;
  FakeFolderLocks locks;
  struct Deletion {
    std::mutex mutex;
    std::condition_variable changed;
    bool gone = false;
  };
  std::shared_ptr<Deletion> transportGone = std::make_shared<Deletion>();
  std::shared_ptr<FakeTransport> downloader{new FakeTransport,
                                            [gone = transportGone](FakeTransport* transport) {
                                              delete transport;
                                              std::lock_guard<std::mutex> lock(gone->mutex);
                                              gone->gone = true;
                                              gone->changed.notify_all();
                                            }};
  FakeRegistry registry;
  FakeProcessLauncher processes;
  FakeShell shell;
  FakeTrace trace;
  std::unique_ptr<platform::ArchiveFiles> archiveFiles = platform::MakeSystemArchiveFiles();
  platform::Services services;
};
