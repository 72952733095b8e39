#include "browser/login_config_check.h"

#include "browser/login_address.h"
#include "files/config_text.h"
#include "platform/text_codec.h"

ConfigProblem CheckLoginAddress(const LauncherConfig& config) {
  if (config.problem != ConfigProblem::None) return config.problem;
  std::wstring loginAddress = platform::DecodeAnsi(ConfigText(config.loginUrl));
  if (loginAddress.empty()) return ConfigProblem::EmptyLoginUrl;
  if (LoginTail(WorkingCopy(platform::DecodeAnsi(ConfigText(config.nestedPage))), loginAddress)) {
    return ConfigProblem::LoginUrlInNestedPage;
  }
  return ConfigProblem::None;
}
