#include "browser/login_config_check.h"

#include "browser/login_address.h"

ConfigProblem CheckLoginAddress(const LauncherConfig& config) {
  if (config.problem != ConfigProblem::None) return config.problem;
  std::wstring loginAddress = WidenConfigText(config.loginUrl);
  if (loginAddress.empty()) return ConfigProblem::EmptyLoginUrl;
  if (LoginTail(WorkingCopy(WidenConfigText(config.nestedPage)), loginAddress)) {
    return ConfigProblem::LoginUrlInNestedPage;
  }
  return ConfigProblem::None;
}
