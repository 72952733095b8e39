#include "update_harness.h"

#include "fakes/fake_environment.h"
#include "platform/file_system.h"
#include "update/check_update.h"

UpdateHarness::UpdateHarness(std::shared_ptr<platform::HttpTransport> transport,
                             PackageExtractor extractor, std::string verUrl)
    : transport_(std::move(transport)),
      extractor_(std::move(extractor)),
      verUrl_(std::move(verUrl)) {
  Restart();
}

void UpdateHarness::Restart() {
  finished_ = std::make_shared<std::promise<UpdateOutcome>>();
  state = std::make_shared<PanelState>(FakeEnvironment(dir.WideFile(L"launcher.exe")));
  state->m_verUrl = verUrl_.c_str();
  view = std::make_shared<FakePanelView>();
  context = std::make_shared<UpdateContext>();
  context->state = state;
  context->view = view;
  context->transport = transport_;
  context->packageRules.retryPauses.assign(context->packageRules.retryPauses.size(),
                                           std::chrono::milliseconds(1));
  context->extractPackage = extractor_;
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
