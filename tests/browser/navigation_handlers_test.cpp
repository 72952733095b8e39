#include "browser/navigation_handlers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <string>

#include "browser/explorer_page.h"
#include "core/panel_state.h"
#include "fakes/fake_browser_control.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_launch_services.h"
#include "platform/file_system.h"
#include "temp_dir.h"

namespace {

const wchar_t kStartPage[] = L"http://game.example/index.html";
const wchar_t kLogin[] = L"/login.do?";

class Handlers : public ::testing::Test {
 protected:
  void SetUp() override {
    // On Linux the ANSI code page is the locale's codeset; the C locale
    // holds ASCII only, as Windows' default 1252 holds no Chinese.
    savedLocale_ = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    state_.m_nestedPage = "http://game.example/index.html";
    state_.m_loginUrl = "/login.do?";
    state_.m_exePath = "GameClient\\game.exe";
    explorer_.Bind(&control_);
  }
  void TearDown() override { std::setlocale(LC_CTYPE, savedLocale_.c_str()); }

  std::wstring ExpectedExecutable() const {
    std::wstring sep(1, platform::kPathSeparator);
    return temp_.Wide() + L"micro" + sep + L"GameClient" + sep + L"game.exe";
  }
  bool Closed() const { return view_.panelEnds == 1 && view_.closeRequests == 1; }
  bool StillOpen() const { return view_.panelEnds == 0 && view_.closeRequests == 0; }

  std::string savedLocale_;
  TempDir temp_;
  FakeEnvironment environment_{temp_.Wide() + L"launcher.exe", 96};
  PanelState state_{environment_};
  FakeBrowserControl control_;
  CExplorer_page explorer_;
  FakeNavigationView view_;
  FakeProcessLauncher launcher_;
  FakeShell shell_;
  FakeTrace trace_;
  platform::Services services_{&environment_, nullptr, &launcher_, &shell_, &trace_};
  NavigationHandlers handlers_{state_, explorer_, view_, services_};
};

TEST_F(Handlers, LoginNavigationIsCancelledAndStartsTheClient) {
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/x/login.do?sid=7&next=/login.do?z", cancel);
  EXPECT_TRUE(cancel);
  ASSERT_EQ(launcher_.started.size(), 1u);
  const platform::ProcessCommand& command = launcher_.started[0];
  EXPECT_EQ(command.executable, ExpectedExecutable());
  EXPECT_EQ(command.arguments, (std::vector<std::wstring>{L"0", L"sid=7&next=/login.do?z"}));
  EXPECT_EQ(command.commandLine, L"\"" + ExpectedExecutable() + L"\" 0 \"sid=7&next=/login.do?z\"");
  EXPECT_TRUE(Closed());
  EXPECT_NE(trace_.written.find(L"\nBeforeNavigate2ExplorerPage\n\n"), std::wstring::npos);
  EXPECT_NE(trace_.written.find(L"url拦截，参数:\nsid=7&next=/login.do?z\n"), std::wstring::npos);
  EXPECT_NE(trace_.written.find(L"启动客户端，参数:\n" + command.commandLine), std::wstring::npos);
}

TEST_F(Handlers, OtherNavigationsProceed) {
  bool cancel = false;
  handlers_.BeforeNavigate(kStartPage, cancel);
  // Letter case counts.
  handlers_.BeforeNavigate(L"http://s/LOGIN.DO?sid=7", cancel);
  handlers_.NavigateComplete(L"http://s/LOGIN.DO?sid=7");
  EXPECT_FALSE(cancel);
  EXPECT_TRUE(launcher_.started.empty());
  EXPECT_TRUE(StillOpen());
  EXPECT_EQ(trace_.written.find(L"url拦截"), std::wstring::npos);
}

TEST_F(Handlers, LoginAddressEndingTheAddressGivesAnEmptyTail) {
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?", cancel);
  ASSERT_EQ(launcher_.started.size(), 1u);
  EXPECT_EQ(launcher_.started[0].commandLine, L"\"" + ExpectedExecutable() + L"\" 0 \"\"");
}

TEST_F(Handlers, WorkingCopyGoesThroughTheAnsiCodePage) {
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?name=\u767B\u5F55&x=1", cancel);
  ASSERT_EQ(launcher_.started.size(), 1u);
  EXPECT_EQ(launcher_.started[0].arguments[1], L"name=??&x=1");
}

TEST_F(Handlers, TailWithPercentSignsIsTracedAsText) {
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?%s%d%n 100%", cancel);
  EXPECT_NE(trace_.written.find(L"url拦截，参数:\n%s%d%n 100%\n"), std::wstring::npos);
  ASSERT_EQ(launcher_.started.size(), 1u);
  EXPECT_EQ(launcher_.started[0].arguments[1], L"%s%d%n 100%");
}

TEST_F(Handlers, NewWindowsNeverOpenInThePanel) {
  bool cancel = false;
  handlers_.NewWindow(L"https://news.example/\u65B0\u95FB", cancel);
  EXPECT_TRUE(cancel);
  // The shell gets the address unconverted.
  EXPECT_EQ(shell_.opened, (std::vector<std::wstring>{L"https://news.example/\u65B0\u95FB"}));
  cancel = false;
  handlers_.NewWindow(L"HTTP://upper.example/", cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(shell_.opened.size(), 2u);
  EXPECT_TRUE(launcher_.started.empty());
}

TEST_F(Handlers, NewWindowsThatAreNotWebPagesAreRefusedSilently) {
  for (const wchar_t* url :
       {L"file:///C:/Windows/System32/calc.exe", L"javascript:alert(1)", L"ms-settings:privacy",
        L"mailto:a@b.example", L"httpx://odd/", L" http://leading.space/", L""}) {
    bool cancel = false;
    handlers_.NewWindow(url, cancel);
    EXPECT_TRUE(cancel) << url;
  }
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_TRUE(view_.statusText.empty());
}

TEST_F(Handlers, NewWindowOnALoginAddressLaunchesWithoutTheShell) {
  bool cancel = false;
  handlers_.NewWindow(L"http://s/login.do?sid=9", cancel);
  EXPECT_TRUE(cancel);
  EXPECT_TRUE(shell_.opened.empty());
  ASSERT_EQ(launcher_.started.size(), 1u);
  EXPECT_EQ(launcher_.started[0].arguments[1], L"sid=9");
}

TEST_F(Handlers, CompletedLoginNavigationStartsTheClientOnce) {
  handlers_.NavigateComplete(L"http://s/login.do?sid=1");
  handlers_.DocumentComplete(L"http://s/login.do?sid=1");
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?sid=2", cancel);
  EXPECT_TRUE(cancel);
  handlers_.NewWindow(L"http://s/login.do?sid=3", cancel);
  EXPECT_EQ(launcher_.started.size(), 1u);
  EXPECT_TRUE(Closed());
}

TEST_F(Handlers, WhileUpdatingGoesBackToTheStartPage) {
  state_.m_bUpdating = true;
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?sid=1", cancel);
  EXPECT_TRUE(cancel);
  EXPECT_TRUE(launcher_.started.empty());
  EXPECT_TRUE(StillOpen());
  EXPECT_EQ(control_.calls, (std::vector<std::wstring>{std::wstring(L"Navigate ") + kStartPage}));
  EXPECT_EQ(trace_.written.find(L"url拦截"), std::wstring::npos);

  state_.m_bUpdating = false;
  handlers_.BeforeNavigate(L"http://s/login.do?sid=1", cancel);
  EXPECT_EQ(launcher_.started.size(), 1u);
}

TEST_F(Handlers, FailedStartKeepsTheLauncherOpenAndAllowsAnotherTry) {
  launcher_.succeeds = false;
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?sid=1", cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(launcher_.started.size(), 1u);
  EXPECT_TRUE(StillOpen());
  EXPECT_EQ(view_.statusText, L"游戏客户端启动失败，请重试");

  launcher_.succeeds = true;
  handlers_.BeforeNavigate(L"http://s/login.do?sid=1", cancel);
  EXPECT_EQ(launcher_.started.size(), 2u);
  EXPECT_TRUE(Closed());
}

TEST_F(Handlers, UnknownExecutableIsAFailedLaunch) {
  state_.m_exePath = nullptr;
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?sid=1", cancel);
  state_.m_exePath = "";
  handlers_.NavigateComplete(L"http://s/login.do?sid=1");
  EXPECT_TRUE(launcher_.started.empty());
  EXPECT_TRUE(StillOpen());
  EXPECT_EQ(view_.statusText, L"找不到游戏客户端，请稍后重试");
}

TEST_F(Handlers, AnExecutableOutsideTheClientFolderIsNeverStarted) {
  for (const char* outside :
       {"../../../../tmp/x.sh", "bin/game.exe", "GameClient/../../x.sh", "GameClient", "."}) {
    state_.m_exePath = outside;
    bool cancel = false;
    handlers_.BeforeNavigate(L"http://s/login.do?sid=1", cancel);
    EXPECT_TRUE(launcher_.started.empty()) << outside;
    EXPECT_TRUE(StillOpen()) << outside;
    EXPECT_EQ(view_.statusText, L"找不到游戏客户端，请稍后重试") << outside;
  }
  EXPECT_NE(trace_.written.find(L"exe_path 不在 GameClient 目录内："), std::wstring::npos);

  state_.m_exePath = "GameClient/./bin/../game.exe";
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?sid=1", cancel);
  EXPECT_EQ(launcher_.started.size(), 1u);
}

TEST_F(Handlers, OverlongPathIsAFailedLaunch) {
  std::string longPath(platform::kMaxPathChars + 1, 'd');
  longPath += "\\game.exe";
  state_.m_exePath = longPath.c_str();
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?sid=1", cancel);
  EXPECT_TRUE(launcher_.started.empty());
  EXPECT_TRUE(StillOpen());
  EXPECT_EQ(view_.statusText, L"游戏客户端路径过长，无法启动");
}

TEST_F(Handlers, OverlongCommandLineIsAFailedLaunch) {
  bool cancel = false;
  handlers_.BeforeNavigate(L"http://s/login.do?" + std::wstring(2048, L'x'), cancel);
  EXPECT_TRUE(launcher_.started.empty());
  EXPECT_TRUE(StillOpen());
  EXPECT_EQ(view_.statusText, L"登录参数过长，无法启动游戏客户端");
}

class Zoom : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(Zoom, FollowsTheSquareOfTheDisplayScale) {
  TempDir temp;
  FakeEnvironment environment(temp.Wide() + L"launcher.exe", GetParam().first);
  PanelState state(environment);
  state.m_loginUrl = "/login.do?";
  FakeBrowserControl control;
  CExplorer_page explorer;
  explorer.Bind(&control);
  FakeNavigationView view;
  FakeProcessLauncher launcher;
  FakeShell shell;
  FakeTrace trace;
  platform::Services services{&environment, nullptr, &launcher, &shell, &trace};
  NavigationHandlers handlers(state, explorer, view, services);

  std::wstring zoom = L"Zoom " + std::to_wstring(GetParam().second);
  handlers.NavigateComplete(L"http://s/");
  handlers.DocumentComplete(L"http://s/");
  handlers.NewWindow2();
  bool cancel = false;
  handlers.NewWindow(L"http://other/", cancel);
  EXPECT_EQ(control.calls, (std::vector<std::wstring>(4, zoom)));
  EXPECT_NE(trace.written.find(L"final zoomValue=" + std::to_wstring(GetParam().second) + L" \n"),
            std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(Dpi, Zoom,
                         ::testing::Values(std::pair{96, 100}, std::pair{120, 156},
                                           std::pair{144, 225}, std::pair{168, 306},
                                           std::pair{192, 400}));

}  // namespace
