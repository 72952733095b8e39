#include "ui/tavr_dlg.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "files/path_join.h"
#include "support/launcher_fixture.h"
#include "ui/main_view_bg.h"
#include "update/status_texts.h"
#include "zip_builder.h"

namespace {

using platform::MessageAnswer;
using platform::Rect;

// Runs the launcher with `script` playing the user while the window runs.
void RunLauncher(LauncherFixture& launcher,
                 const std::function<void(FakeLauncherWindow&, CTavrDlg&)>& script) {
  MainViewBg background(launcher.services);
  launcher.windows.whileRunning = [&](FakeLauncherWindow& window) {
    script(window, *background.Panel());
  };
  background.DoModal();
}

TEST(TavrDlgInitTest, ReadsTheConfigurationAndStartsTheBrowserAtItsPlace) {
  LauncherFixture launcher(120);
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg& panel) {
    EXPECT_STREQ(panel.State()->m_loginUrl, "/login?");
    EXPECT_STREQ(panel.State()->m_verUrl, "http://127.0.0.1:1/pkg.json");
    EXPECT_TRUE(window.browser.silent);
    ASSERT_EQ(window.browser.navigated.size(), 1u);
    EXPECT_EQ(window.browser.navigated[0], L"http://127.0.0.1:1/index.html");
    EXPECT_EQ(window.browser.place, (Rect{526, 205, 706, 503}));
    EXPECT_DOUBLE_EQ(panel.Scale().Factor(), 1.25);
    // The update check has started: busy until it ends.
    EXPECT_TRUE(panel.State()->m_bUpdating);
  });
  EXPECT_TRUE(std::filesystem::is_directory(launcher.dir.Path() / "micro"));
}

TEST(TavrDlgInitTest, StartsTheUpdateCheckWithTheConfiguredManifestAddress) {
  LauncherFixture launcher;
  std::mutex mutex;
  std::condition_variable asked;
  std::wstring requested;
  launcher.downloader->OnRequest([&, gate = launcher.gate](const std::wstring& url) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      requested = url;
      asked.notify_all();
    }
    gate->Wait();
  });
  RunLauncher(launcher, [&](FakeLauncherWindow&, CTavrDlg&) {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(asked.wait_for(lock, std::chrono::seconds(10), [&] { return !requested.empty(); }));
    EXPECT_EQ(requested.rfind(L"http://127.0.0.1:1/pkg.json?skq=", 0), 0u) << requested;
  });
}

TEST(TavrDlgInitTest, WritesTheEmulationValueAndTracesTheScale) {
  LauncherFixture launcher(120);
  const std::wstring machineKey = L"SOFTWARE\\Microsoft\\Internet Explorer";
  const std::wstring featureKey =
      L"SOFTWARE\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION";
  launcher.registry.strings[{platform::RegistryRoot::LocalMachine, machineKey, L"svcVersion"}] =
      L"11.0.9600.19036";
  launcher.registry.keys.insert({platform::RegistryRoot::CurrentUser, featureKey});
  RunLauncher(launcher, [](FakeLauncherWindow&, CTavrDlg&) {});
  auto written = launcher.registry.dwords.find(
      {platform::RegistryRoot::CurrentUser, featureKey, L"launcher.exe"});
  ASSERT_NE(written, launcher.registry.dwords.end());
  EXPECT_EQ(written->second, 11000u);
  EXPECT_EQ(launcher.trace.written.rfind(L"designScale 1.250\n", 0), 0u) << launcher.trace.written;
}

TEST(TavrDlgInitTest, LoginNavigationsDuringTheUpdateGoBackToTheStartPage) {
  LauncherFixture launcher;
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg& panel) {
    ASSERT_NE(window.browserEvents, nullptr);
    bool cancel = false;
    window.browserEvents->BeforeNavigate(L"http://127.0.0.1:1/login?server=1&token=abc", cancel);
    EXPECT_TRUE(cancel);
    ASSERT_EQ(window.browser.navigated.size(), 2u);
    EXPECT_EQ(window.browser.navigated[1], L"http://127.0.0.1:1/index.html");
    EXPECT_TRUE(panel.IsVisible());

    cancel = false;
    window.browserEvents->BeforeNavigate(L"http://127.0.0.1:1/news.html", cancel);
    EXPECT_FALSE(cancel);
  });
  EXPECT_TRUE(launcher.processes.started.empty());
}

TEST(TavrDlgInitTest, ALoginWhenCurrentStartsTheClientAndClosesTheLauncher) {
  LauncherFixture launcher;
  RunLauncher(launcher, [&launcher](FakeLauncherWindow& window, CTavrDlg& panel) {
    // The check marks the panel busy before its download; only then can the
    // test say the client is current.
    ASSERT_TRUE(launcher.gate->WaitForArrival());
    panel.State()->m_exePath = "GameClient/game";
    panel.State()->m_bUpdating = false;
    bool cancel = false;
    window.browserEvents->BeforeNavigate(L"http://127.0.0.1:1/login?server=1&token=abc", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_FALSE(panel.IsVisible());
  });
  ASSERT_EQ(launcher.processes.started.size(), 1u);
  EXPECT_EQ(launcher.processes.started[0].arguments.back(), L"server=1&token=abc");
  const std::vector<std::string>& log = launcher.windows.log;
  EXPECT_EQ(log[log.size() - 2], "hide panel");
  EXPECT_EQ(log[log.size() - 1], "close");
}

// The update exactly as the panel puts it together, through a whole install.
TEST(TavrDlgUpdateTest, AnInstallTracesEachEntryItUnpacks) {
  LauncherFixture launcher;
  launcher.windows.marshalUiCalls = true;
  launcher.downloader->OnRequest(nullptr);
  launcher.downloader->Serve(
      L"http://127.0.0.1:1/pkg.json",
      {true,
       R"({"client_url":"http://127.0.0.1:1/GameClient.zip","exe_path":"GameClient/bin/game"})"});
  launcher.downloader->Serve(L"http://127.0.0.1:1/GameClient.zip",
                             {true, testzip::Build({{"bin/", ""}, {"bin/game", "MZ"}})});
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg& panel) {
    EXPECT_TRUE(window.uiThread->RunCallsUntil(
        [&panel] { return panel.StatusText() == kCompletedText; }, std::chrono::minutes(1)))
        << panel.StatusText();
  });
  std::wstring client = *JoinPath(launcher.dir.Wide(), L"micro/GameClient/");
  std::wstring trace = launcher.trace.Text();
  EXPECT_NE(trace.find(L"删除：" + *JoinPath(client, L"bin/") + L"\nbin/\n"), std::wstring::npos)
      << trace;
  EXPECT_NE(trace.find(L"删除：" + *JoinPath(client, L"bin/game") + L"\nbin/game\n解压完成"),
            std::wstring::npos)
      << trace;
  EXPECT_NE(trace.find(L"\nSetProgress=100\n已下载100"), std::wstring::npos) << trace;
  EXPECT_EQ(launcher.dir.Read(L"micro/GameClient/bin/game"), "MZ");
}

TEST(TavrDlgPaintTest, DrawsBothPicturesAndTheStatusLineButNoBarWhileHidden) {
  LauncherFixture launcher;
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg& panel) {
    panel.State()->m_nProgress = 50;
    FakeCanvas canvas;
    panel.OnPaint(canvas);
    ASSERT_NE(canvas.Find(kCloseImageId), nullptr);
    EXPECT_EQ(canvas.Find(kCloseImageId)->destination, (Rect{1010, 144, 44, 42}));
    ASSERT_NE(canvas.Find(kClearCacheImageId), nullptr);
    EXPECT_EQ(canvas.Find(kClearCacheImageId)->destination, (Rect{340, 545, 66, 23}));
    EXPECT_EQ(canvas.Find(kProgressImageId), nullptr);
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].colour, (platform::Rgb{255, 128, 255}));
    EXPECT_EQ(canvas.texts[0].text, L".............");
    (void)window;
  });
}

TEST(TavrDlgPaintTest, TheBarFollowsTheProgressWhileShown) {
  LauncherFixture launcher(120);
  RunLauncher(launcher, [](FakeLauncherWindow&, CTavrDlg& panel) {
    panel.State()->m_bShowProgress = true;
    const std::pair<int, Rect> cases[] = {
        {0, {526, 750, 1, 6}},
        {50, {526, 750, 352, 6}},
        {100, {526, 750, 706, 6}},
        {250, {526, 750, 706, 6}},
    };
    for (const auto& [progress, bar] : cases) {
      panel.State()->m_nProgress = progress;
      FakeCanvas canvas;
      panel.OnPaint(canvas);
      ASSERT_NE(canvas.Find(kProgressImageId), nullptr) << progress;
      EXPECT_EQ(canvas.Find(kProgressImageId)->destination, bar) << progress;
    }
  });
}

TEST(TavrDlgPaintTest, FirstEraseAndPendingRedrawsPaintOthersDoNot) {
  LauncherFixture launcher;
  RunLauncher(launcher, [](FakeLauncherWindow&, CTavrDlg& panel) {
    FakeCanvas first;
    EXPECT_TRUE(panel.OnEraseBkgnd(first));
    EXPECT_EQ(first.CountOf(kCloseImageId), 1);

    FakeCanvas quiet;
    panel.OnEraseBkgnd(quiet);
    EXPECT_TRUE(quiet.pictures.empty());

    panel.State()->m_bRedrawPending = true;
    FakeCanvas pending;
    panel.OnEraseBkgnd(pending);
    EXPECT_EQ(pending.CountOf(kCloseImageId), 1);
    EXPECT_FALSE(panel.State()->m_bRedrawPending);
  });
}

TEST(TavrDlgPaintTest, EveryFrameBlendsEachPictureOnce) {
  LauncherFixture launcher;
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg& panel) {
    // Frames start cleared: a second blend would darken the soft edges.
    EXPECT_EQ(window.Paint().CountOf(kCloseImageId), 1);
    EXPECT_EQ(window.Paint().CountOf(kClearCacheImageId), 1);
    panel.State()->m_bRedrawPending = true;
    EXPECT_EQ(window.Paint().CountOf(kCloseImageId), 1);
    EXPECT_FALSE(panel.State()->m_bRedrawPending);
  });
}

TEST(TavrDlgPaintTest, MissingPicturesAreSkipped) {
  LauncherFixture launcher;
  launcher.windows.pictureSizes.erase(kCloseImageId);
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg&) {
    FakeCanvas canvas = window.Paint();
    EXPECT_EQ(canvas.CountOf(kCloseImageId), 0);
    EXPECT_GT(canvas.CountOf(kClearCacheImageId), 0);
  });
}

TEST(TavrDlgCommandTest, CloseHidesThePanelThenClosesTheBackground) {
  LauncherFixture launcher;
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg& panel) {
    window.Click(1030, 160);
    EXPECT_FALSE(panel.IsVisible());
  });
  const std::vector<std::string>& log = launcher.windows.log;
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "hide panel");
  EXPECT_EQ(log[log.size() - 1], "close");
}

TEST(TavrDlgCommandTest, AClickNeedsPressAndReleaseOnTheSameControl) {
  LauncherFixture launcher;
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg& panel) {
    window.events.OnMouseDown(1030, 160);
    window.events.OnMouseUp(360, 550);
    window.events.OnMouseDown(200, 300);
    window.events.OnMouseUp(1030, 160);
    EXPECT_TRUE(panel.IsVisible());
    EXPECT_TRUE(window.messages.shown.empty());
  });
  EXPECT_EQ(launcher.windows.log.back(), "run");
}

TEST(TavrDlgCommandTest, TheWindowsCommandsReachThePanel) {
  using platform::PanelCommand;
  LauncherFixture launcher;
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg& panel) {
    window.events.OnCommand(PanelCommand::Minimize);
    EXPECT_TRUE(panel.IsVisible());
    window.events.OnCommand(PanelCommand::Cancel);
    EXPECT_FALSE(panel.IsVisible());
    window.messages.answers = {MessageAnswer::Cancel};
    window.events.OnCommand(PanelCommand::ClearCache);
    ASSERT_EQ(window.messages.shown.size(), 1u);
    EXPECT_EQ(window.messages.shown[0].text, L"确定清除缓存吗？");
    window.events.OnCommand(PanelCommand::Close);
  });
  const std::vector<std::string> tail(launcher.windows.log.end() - 4, launcher.windows.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"minimize", "hide panel", "hide panel", "close"}));
}

TEST(TavrDlgClearCacheTest, CancelDeletesNothing) {
  LauncherFixture launcher;
  RunLauncher(launcher, [&](FakeLauncherWindow& window, CTavrDlg&) {
    window.messages.answers = {MessageAnswer::Cancel};
    window.Click(360, 550);
    ASSERT_EQ(window.messages.shown.size(), 1u);
    EXPECT_EQ(window.messages.shown[0].text, L"确定清除缓存吗？");
    EXPECT_EQ(window.messages.shown[0].caption, L"温馨提示");
    EXPECT_EQ(window.messages.shown[0].buttons, platform::MessageButtons::OkCancel);
  });
  EXPECT_TRUE(launcher.folders.emptied.empty());
  EXPECT_EQ(launcher.windows.log.back(), "run");
}

TEST(TavrDlgClearCacheTest, OkEmptiesBothCachesAndTheBrowserDataThenReportsSuccess) {
  LauncherFixture launcher;
  RunLauncher(launcher, [&](FakeLauncherWindow& window, CTavrDlg&) {
    window.Click(360, 550);
    ASSERT_EQ(window.messages.shown.size(), 2u);
    EXPECT_EQ(window.messages.shown[1].text, L"清理成功");
    EXPECT_EQ(window.messages.shown[1].caption, L"温馨提示");
    EXPECT_EQ(window.messages.shown[1].buttons, platform::MessageButtons::Ok);
  });
  const std::vector<std::wstring> expected{
      *JoinPath(L"/home/player/", L"AppData/LocalLow/vandor"),
      *JoinPath(L"/home/player/", L"AppData/LocalLow/Unity/WebPlayer/Cache"),
  };
  EXPECT_EQ(launcher.folders.emptied, expected);
  EXPECT_EQ(launcher.windows.log.back(), "clear browser data");
}

TEST(TavrDlgClearCacheTest, WithoutAHomeNothingIsDeletedAndTheFailureIsShown) {
  LauncherFixture launcher;
  launcher.folders.home.reset();
  RunLauncher(launcher, [&](FakeLauncherWindow& window, CTavrDlg&) {
    window.Click(360, 550);
    ASSERT_EQ(window.messages.shown.size(), 2u);
    EXPECT_EQ(window.messages.shown[1].text, L"清理失败，请关闭游戏后重试");
  });
  // Relative cache paths would be resolved against the current directory.
  EXPECT_TRUE(launcher.folders.emptied.empty());
}

TEST(TavrDlgClearCacheTest, AnyFailureIsReportedAsSuch) {
  for (bool cachesFail : {true, false}) {
    LauncherFixture launcher;
    if (cachesFail) {
      launcher.folders.failing.insert(*JoinPath(L"/home/player/", L"AppData/LocalLow/vandor"));
    }
    RunLauncher(launcher, [&](FakeLauncherWindow& window, CTavrDlg&) {
      window.browserDataClears = cachesFail;
      window.Click(360, 550);
      ASSERT_EQ(window.messages.shown.size(), 2u);
      EXPECT_EQ(window.messages.shown[1].text, L"清理失败，请关闭游戏后重试");
    });
    // The second folder is still tried after the first failed.
    EXPECT_EQ(launcher.folders.emptied.size(), 2u);
  }
}

TEST(TavrDlgEffectsTest, StatusTextIsShownAndRepainted) {
  LauncherFixture launcher;
  RunLauncher(launcher, [](FakeLauncherWindow& window, CTavrDlg& panel) {
    int before = window.invalidations;
    panel.SetStatusText(L"正在更新");
    EXPECT_GT(window.invalidations, before);
    FakeCanvas canvas = window.Paint();
    ASSERT_FALSE(canvas.texts.empty());
    EXPECT_EQ(canvas.texts.back().text, L"正在更新");
    EXPECT_EQ(canvas.texts.back().box, (Rect{582, 612, 261, 23}));
  });
}

}  // namespace
