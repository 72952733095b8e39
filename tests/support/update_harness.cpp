#include "update_harness.h"

#include "fakes/fake_environment.h"
#include "platform/file_system.h"
#include "update/check_update.h"
#include "update/update_start.h"

UpdateHarness::UpdateHarness(std::shared_ptr<platform::HttpTransport> transport, std::string verUrl,
                             const platform::ArchiveFiles* archiveFiles, platform::Trace* trace)
    : systemFiles_(platform::MakeSystemArchiveFiles()), verUrl_(std::move(verUrl)) {
  services_.transport = std::move(transport);
  services_.archiveFiles = archiveFiles != nullptr ? archiveFiles : systemFiles_.get();
  services_.trace = trace != nullptr ? trace : &this->trace;
  Restart();
}

void UpdateHarness::Restart() {
  finished_ = std::make_shared<std::promise<UpdateOutcome>>();
  state = std::make_shared<PanelState>(FakeEnvironment(dir.WideFile(L"launcher.exe")));
  state->m_verUrl = verUrl_.c_str();
  view = std::make_shared<FakePanelView>();
  context = MakeUpdateContext(state, view, services_);
  context->packageRules.retryPauses.assign(context->packageRules.retryPauses.size(),
                                           std::chrono::milliseconds(1));
  auto finished = finished_;
  context->onFinished = [finished](UpdateOutcome outcome) { finished->set_value(outcome); };
  outcome_ = finished_->get_future();
}

void UpdateHarness::Start() {
  StartUpdateCheck(context);
}

std::optional<UpdateOutcome> UpdateHarness::Wait() {
  if (outcome_.wait_for(std::chrono::minutes(1)) != std::future_status::ready) return {};
  return outcome_.get();
}

std::wstring UpdateHarness::MicroFile(std::wstring_view name) const {
  return state->m_strMicroDir + std::wstring(name);
}

std::string UpdateHarness::ReadMicroFile(std::wstring_view name) const {
  return dir.Read(L"micro/" + std::wstring(name));
}

void UpdateHarness::WriteMicroFile(std::wstring_view name, std::string_view bytes) const {
  dir.Write(L"micro/" + std::wstring(name), bytes);
}

bool UpdateHarness::MicroFileExists(std::wstring_view name) const {
  return platform::GetPathKind(MicroFile(name)) == platform::PathKind::File;
}

std::string UpdateHarness::ReadClientFile(std::wstring_view name) const {
  return ReadMicroFile(L"GameClient/" + std::wstring(name));
}

bool UpdateHarness::ClientFileExists(std::wstring_view name) const {
  return MicroFileExists(L"GameClient/" + std::wstring(name));
}
