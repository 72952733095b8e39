#include "ui/panel_window_view.h"

#include <gtest/gtest.h>

#include "support/launcher_fixture.h"
#include "ui/main_view_bg.h"
#include "ui/tavr_dlg.h"

namespace {

TEST(PanelWindowViewTest, CallsReachThePanelAndRepaintsAreMerged) {
  LauncherFixture launcher;
  MainViewBg background(launcher.services);
  launcher.windows.whileRunning = [&](FakeLauncherWindow& window) {
    auto view = std::make_shared<PanelWindowView>(window.uiThread, *background.Panel());
    view->SetStatusText(L"正在检查更新");
    EXPECT_EQ(background.Panel()->StatusText(), L"正在检查更新");
    EXPECT_EQ(window.uiThread->calls, 1);

    int before = window.invalidations;
    view->Invalidate();
    view->Invalidate();
    view->Invalidate();
    EXPECT_EQ(window.uiThread->posted.size(), 1u);
    window.uiThread->RunPosted();
    EXPECT_EQ(window.invalidations, before + 1);

    view->Invalidate();
    EXPECT_EQ(window.uiThread->posted.size(), 1u);
    window.uiThread->RunPosted();
    EXPECT_EQ(window.invalidations, before + 2);
  };
  background.DoModal();
}

TEST(PanelWindowViewTest, NothingHappensOnceTheWindowHasGone) {
  LauncherFixture launcher;
  MainViewBg background(launcher.services);
  launcher.windows.whileRunning = [&](FakeLauncherWindow& window) {
    auto view = std::make_shared<PanelWindowView>(window.uiThread, *background.Panel());
    window.uiThread->closed = true;
    int before = window.invalidations;
    view->SetStatusText(L"x");
    view->ShowProgressStrip(true);
    view->Invalidate();
    EXPECT_EQ(background.Panel()->StatusText(), L".............");
    EXPECT_TRUE(window.uiThread->posted.empty());
    EXPECT_EQ(window.invalidations, before);
  };
  background.DoModal();
}

}  // namespace
