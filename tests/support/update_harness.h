// One update run against a scratch client root: the panel's state and a
// recording window, put together and started the way the panel does it, and
// a way to wait for the worker that ends the run.
#pragma once

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "fakes/fake_launch_services.h"
#include "fakes/fake_panel_view.h"
#include "platform/archive_files.h"
#include "platform/services.h"
#include "temp_dir.h"
#include "update/update_context.h"

class UpdateHarness {
 public:
  // The system's archive files and a recording trace unless others are
  // given; those must outlive the workers.
  UpdateHarness(std::shared_ptr<platform::HttpTransport> transport, std::string verUrl,
                const platform::ArchiveFiles* archiveFiles = nullptr,
                platform::Trace* trace = nullptr);

  // Starts the check as the panel does. The package download is retried as
  // in the launcher, without the pauses.
  void Start();
  // A fresh panel on the same client root, as at the launcher's next start.
  void Restart();
  // The run's outcome; none when it has not ended within a minute, which
  // only a hung worker explains.
  std::optional<UpdateOutcome> Wait();

  std::wstring MicroFile(std::wstring_view name) const;
  std::string ReadMicroFile(std::wstring_view name) const;
  void WriteMicroFile(std::wstring_view name, std::string_view bytes) const;
  bool MicroFileExists(std::wstring_view name) const;
  // A file below "micro/GameClient/", by its '/'-separated name.
  std::string ReadClientFile(std::wstring_view name) const;
  bool ClientFileExists(std::wstring_view name) const;

  TempDir dir;
  FakeTrace trace;
  std::shared_ptr<PanelState> state;
  std::shared_ptr<FakePanelView> view;
  std::shared_ptr<UpdateContext> context;

 private:
  std::unique_ptr<platform::ArchiveFiles> systemFiles_;
  platform::Services services_;
  std::string verUrl_;
  std::shared_ptr<std::promise<UpdateOutcome>> finished_;
  std::future<UpdateOutcome> outcome_;
};
