// Runs one update, put together and started exactly as the panel does it
// with the system's services, and exits: the subject of the crash-safety
// test, which kills it at chosen moments.
// Usage: qelt_update_driver EXECUTABLE_PATH MANIFEST_URL [UPDATE_KEY]
// The client root is "micro" beside EXECUTABLE_PATH; the traces go to
// standard output unbuffered, so the test sees where the update is. Exits 0
// when the client ends up complete and current.
// With QELT_STOP_AT=MARKER and QELT_STOP_COUNT=N in its environment it stops
// itself (SIGSTOP) once it has written MARKER the Nth time: a kill then lands
// exactly there, not some steps later on a busy machine.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "fakes/fake_environment.h"
#include "fakes/fake_panel_view.h"
#include "files/minisign_key.h"
#include "platform/system_parts.h"
#include "platform/text_codec.h"
#include "platform/trace.h"
#include "update/check_update.h"
#include "update/update_start.h"

namespace {

class StoppingTrace final : public platform::Trace {
 public:
  StoppingTrace(platform::Trace& inner, std::wstring marker, int count)
      : inner_(inner), marker_(std::move(marker)), remaining_(count) {}

  void Write(std::wstring_view text) override {
    inner_.Write(text);
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t at = text.find(marker_); at != std::wstring_view::npos && remaining_ > 0;
         at = text.find(marker_, at + marker_.size())) {
      if (--remaining_ == 0) ::raise(SIGSTOP);
    }
  }

 private:
  platform::Trace& inner_;
  const std::wstring marker_;
  std::mutex mutex_;
  int remaining_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return 2;
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  platform::SystemParts parts;
  platform::Services services;
  parts.Bundle(services);
  const char* stopAt = std::getenv("QELT_STOP_AT");
  const char* stopCount = std::getenv("QELT_STOP_COUNT");
  std::optional<StoppingTrace> stopping;
  if (stopAt && *stopAt && stopCount) {
    stopping.emplace(*services.trace, platform::DecodeUtf8(stopAt), std::atoi(stopCount));
    services.trace = &*stopping;
  }
  std::string verUrl = argv[2];

  auto state = std::make_shared<PanelState>(FakeEnvironment(platform::DecodeUtf8(argv[1])));
  state->m_verUrl = verUrl.c_str();
  if (argc == 4) {
    std::optional<MinisignPublicKey> key = ParseMinisignPublicKey(argv[3]);
    if (!key) return 2;
    state->config.updateKeys = {*key};
  }
  std::shared_ptr<UpdateContext> context =
      MakeUpdateContext(state, std::make_shared<FakePanelView>(), services);
  auto finished = std::make_shared<std::promise<UpdateOutcome>>();
  context->onFinished = [finished](UpdateOutcome outcome) { finished->set_value(outcome); };
  std::future<UpdateOutcome> outcome = finished->get_future();
  StartUpdateCheck(context);

  UpdateOutcome result = outcome.get();
  bool current = result == UpdateOutcome::Installed || result == UpdateOutcome::ClientCurrent;
  std::printf("\noutcome %d\n", static_cast<int>(result));
  // The workers are detached: leave without running destructors under them.
  std::_Exit(current ? 0 : 1);
}
