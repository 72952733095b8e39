// One update run against a scratch client root: the panel's state and a
// recording window, started the way the panel starts it, and a way to wait
// for the worker that ends the run.
#pragma once

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "fakes/fake_panel_view.h"
#include "temp_dir.h"
#include "update/update_context.h"

class UpdateHarness {
 public:
  UpdateHarness(std::shared_ptr<platform::HttpTransport> transport, PackageExtractor extractor,
                std::string verUrl);

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

  TempDir dir;
  std::shared_ptr<PanelState> state;
  std::shared_ptr<FakePanelView> view;
  std::shared_ptr<UpdateContext> context;

 private:
  std::shared_ptr<platform::HttpTransport> transport_;
  PackageExtractor extractor_;
  std::string verUrl_;
  std::shared_ptr<std::promise<UpdateOutcome>> finished_;
  std::future<UpdateOutcome> outcome_;
};
