#include "browser/login_address.h"
#include "browser/login_config_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LoginTail, IsTheTextAfterTheFirstCaseSensitiveMatch) {
  EXPECT_EQ(LoginTail(L"xLOGINyLOGINz", L"LOGIN"), L"yLOGINz");
  EXPECT_EQ(LoginTail(L"http://h/start", L"LOGIN"), std::nullopt);
  EXPECT_EQ(LoginTail(L"http://h/login?a", L"LOGIN"), std::nullopt);
  EXPECT_EQ(LoginTail(L"http://h/LOGIN", L"LOGIN"), L"");
  EXPECT_EQ(LoginTail(L"anything", L""), L"anything");
}

LauncherConfig ConfigWith(const char* nestedPage, const char* loginUrl) {
  LauncherConfig config;
  config.problem = ConfigProblem::None;
  config.verUrl = "http://h/ver.json";
  config.nestedPage = nestedPage;
  config.loginUrl = loginUrl;
  return config;
}

TEST(CheckLoginAddress, RefusesLoginAddressesThatEveryNavigationWouldMatch) {
  EXPECT_EQ(CheckLoginAddress(ConfigWith("http://h/index.html", "/login.do?")),
            ConfigProblem::None);
  EXPECT_EQ(CheckLoginAddress(ConfigWith("http://h/index.html", "")), ConfigProblem::EmptyLoginUrl);
  EXPECT_EQ(CheckLoginAddress(ConfigWith("http://h/index.html?from=/login.do?", "/login.do?")),
            ConfigProblem::LoginUrlInNestedPage);
  // The same case-sensitive match the handlers use.
  EXPECT_EQ(CheckLoginAddress(ConfigWith("http://h/LOGIN.do?", "login.do?")), ConfigProblem::None);
}

TEST(CheckLoginAddress, KeepsTheFilesOwnProblem) {
  LauncherConfig config = ConfigWith("http://h/", nullptr);
  config.problem = ConfigProblem::MissingLoginUrl;
  EXPECT_EQ(CheckLoginAddress(config), ConfigProblem::MissingLoginUrl);
}

TEST(CheckLoginAddress, ProblemsHaveMessages) {
  EXPECT_FALSE(ConfigProblemMessage(ConfigProblem::EmptyLoginUrl).empty());
  EXPECT_FALSE(ConfigProblemMessage(ConfigProblem::LoginUrlInNestedPage).empty());
  EXPECT_NE(ConfigProblemMessage(ConfigProblem::EmptyLoginUrl),
            ConfigProblemMessage(ConfigProblem::LoginUrlInNestedPage));
}

}  // namespace
