#include "files/launcher_config.h"

#include <cjson/cJSON.h>

#include <cmath>
#include <cstdint>
#include <optional>

#include "files/file_text.h"
#include "files/key_list.h"

namespace {

std::optional<std::uint64_t> ParseDownloadLimit(const cJSON* item) {
  if (!cJSON_IsNumber(item)) return std::nullopt;
  double value = item->valuedouble;
  if (!(value >= static_cast<double>(kLeastDownloadLimit) &&
        value <= static_cast<double>(kMostDownloadLimit)) ||
      value != std::floor(value))
    return std::nullopt;
  return static_cast<std::uint64_t>(value);
}

}  // namespace

LauncherConfig ReadLauncherConfig(const std::wstring& path) {
  LauncherConfig config;
  FileText file = ReadFileText(path);
  config.document = JsonDocument::Parse(file.text);
  config.verUrl = config.document.GetString("ver_url");
  config.nestedPage = config.document.GetString("nested_page");
  config.loginUrl = config.document.GetString("login_url");
  std::optional<std::vector<MinisignPublicKey>> keys =
      ParseKeyList(config.document.Get("update_key"));
  if (keys) config.updateKeys = std::move(*keys);
  // A key that is there but unusable must stop the launcher: ignoring it
  // would install unsigned updates the operator meant to refuse.
  bool updateKeyMalformed = config.document.Has("update_key") && !keys;
  std::optional<std::uint64_t> limit = ParseDownloadLimit(config.document.Get("download_limit"));
  if (limit) config.downloadLimit = *limit;
  bool downloadLimitMalformed = config.document.Has("download_limit") && !limit;

  if (file.status == platform::ReadStatus::Missing) {
    config.problem = ConfigProblem::Missing;
  } else if (file.status != platform::ReadStatus::Ok) {
    config.problem = ConfigProblem::Unreadable;
  } else if (!config.document.IsObject()) {
    config.problem = ConfigProblem::NotAnObject;
  } else if (config.verUrl == nullptr) {
    config.problem = ConfigProblem::MissingVerUrl;
  } else if (config.nestedPage == nullptr) {
    config.problem = ConfigProblem::MissingNestedPage;
  } else if (config.loginUrl == nullptr) {
    config.problem = ConfigProblem::MissingLoginUrl;
  } else if (updateKeyMalformed) {
    config.problem = ConfigProblem::MalformedUpdateKey;
  } else if (downloadLimitMalformed) {
    config.problem = ConfigProblem::MalformedDownloadLimit;
  } else {
    config.problem = ConfigProblem::None;
  }
  return config;
}

std::wstring ConfigProblemMessage(ConfigProblem problem) {
  switch (problem) {
    case ConfigProblem::None:
      return {};
    case ConfigProblem::Missing:
      return L"找不到配置文件，请重新安装";
    case ConfigProblem::Unreadable:
      return L"无法读取配置文件，请重新安装";
    case ConfigProblem::NotAnObject:
      return L"配置文件格式错误，请重新安装";
    case ConfigProblem::MissingVerUrl:
      return L"配置文件缺少版本地址（ver_url），请重新安装";
    case ConfigProblem::MissingNestedPage:
      return L"配置文件缺少首页地址（nested_page），请重新安装";
    case ConfigProblem::MissingLoginUrl:
      return L"配置文件缺少登录地址（login_url），请重新安装";
    case ConfigProblem::MalformedUpdateKey:
      return L"配置文件的更新公钥（update_key）格式错误，请重新安装";
    case ConfigProblem::MalformedDownloadLimit:
      return L"配置文件的下载限速（download_limit）格式错误，请重新安装";
    case ConfigProblem::EmptyLoginUrl:
      return L"配置文件的登录地址（login_url）为空，请重新安装";
    case ConfigProblem::LoginUrlInNestedPage:
      return L"配置文件的首页地址（nested_page）包含登录地址（login_url），请重新安装";
  }
  return {};
}
