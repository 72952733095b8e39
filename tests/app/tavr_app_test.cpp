#include "app/tavr_app.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "support/launcher_fixture.h"

namespace {

using platform::MessageButtons;
using platform::MessageIcon;

TEST(TavrAppTest, MissingConfigurationShowsOnlyTheMessage) {
  LauncherFixture launcher(96, nullptr);
  CTavrApp app;
  EXPECT_FALSE(app.InitInstance(launcher.services));
  ASSERT_EQ(launcher.windows.messages.shown.size(), 1u);
  const platform::MessageRequest& shown = launcher.windows.messages.shown[0];
  EXPECT_EQ(shown.text, L"找不到配置文件，请重新安装");
  EXPECT_EQ(shown.caption, L"提示");
  EXPECT_EQ(shown.buttons, MessageButtons::Ok);
  EXPECT_EQ(shown.icon, MessageIcon::Warning);
  EXPECT_EQ(launcher.windows.windowsCreated, 0);
  // The panel was never built, so no client directory either.
  EXPECT_FALSE(std::filesystem::exists(launcher.dir.Path() / "micro"));
}

TEST(TavrAppTest, UnusableConfigurationIsReportedInsteadOfRunning) {
  struct Case {
    const char* config;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"not json", L"配置文件格式错误，请重新安装"},
      {R"({"ver_url":"a","nested_page":"b"})", L"配置文件缺少登录地址（login_url），请重新安装"},
      // A key one byte short of minisign's 42.
      {R"({"ver_url":"a","nested_page":"b","login_url":"/l?",)"
       R"("update_key":"RWRt77wlWlaCtxVH/wKy4KQbgHrdDC5YXA03U0tRe0ec4KHmbgwb3DQ="})",
       L"配置文件的更新公钥（update_key）格式错误，请重新安装"},
  };
  for (const Case& c : cases) {
    LauncherFixture launcher(96, c.config);
    CTavrApp app;
    app.InitInstance(launcher.services);
    ASSERT_EQ(launcher.windows.messages.shown.size(), 1u) << c.config;
    EXPECT_EQ(launcher.windows.messages.shown[0].text, c.message);
    EXPECT_EQ(launcher.windows.messages.shown[0].caption, L"提示");
    EXPECT_EQ(launcher.windows.windowsCreated, 0);
  }
}

TEST(TavrAppTest, UsableConfigurationRunsTheBackgroundWindowWithoutMessages) {
  LauncherFixture launcher;
  CTavrApp app;
  EXPECT_FALSE(app.InitInstance(launcher.services));
  EXPECT_TRUE(launcher.windows.messages.shown.empty());
  EXPECT_EQ(launcher.windows.windowsCreated, 1);
  EXPECT_EQ(launcher.windows.log.back(), "run");
  EXPECT_EQ(launcher.locks.claimed,
            std::vector<std::wstring>{launcher.dir.WideFile(L"micro") + platform::kPathSeparator +
                                      L"launcher.lock"});
}

TEST(TavrAppTest, ASecondLauncherOnTheSameFolderEndsWithoutTouchingAnything) {
  LauncherFixture launcher;
  launcher.locks.answer = platform::FolderClaim::HeldElsewhere;
  CTavrApp app;
  EXPECT_FALSE(app.InitInstance(launcher.services));
  EXPECT_EQ(launcher.locks.claimed.size(), 1u);
  EXPECT_EQ(launcher.windows.windowsCreated, 0);
  EXPECT_TRUE(launcher.windows.messages.shown.empty());
  EXPECT_TRUE(launcher.downloader->Requests().empty());
}

TEST(TavrAppTest, ALockThatCannotBeTakenIsReportedInsteadOfRunning) {
  LauncherFixture launcher;
  launcher.locks.answer = platform::FolderClaim::Unusable;
  CTavrApp app;
  EXPECT_FALSE(app.InitInstance(launcher.services));
  ASSERT_EQ(launcher.windows.messages.shown.size(), 1u);
  EXPECT_EQ(launcher.windows.messages.shown[0].text,
            L"客户端目录的锁文件（launcher.lock）无法使用，请删除后重试");
  EXPECT_EQ(launcher.windows.messages.shown[0].caption, L"提示");
  EXPECT_EQ(launcher.windows.windowsCreated, 0);
  EXPECT_TRUE(launcher.downloader->Requests().empty());
}

}  // namespace
