#include "ui/main_view_bg.h"

#include <gtest/gtest.h>

#include "support/launcher_fixture.h"
#include "ui/tavr_dlg.h"

namespace {

using platform::Key;

TEST(MainViewBgTest, StartsSizedCentredWithThePanelShownAndRunsUntilClosed) {
  LauncherFixture launcher;
  bool ran = false;
  launcher.windows.whileRunning = [&](FakeLauncherWindow& window) {
    ran = true;
    EXPECT_EQ(window.width, 1200);
    EXPECT_EQ(window.height, 700);
    ASSERT_NE(window.background, nullptr);
    EXPECT_EQ(window.background->Width(), 1200);
    EXPECT_TRUE(window.panelShown);
  };
  MainViewBg background(launcher.services);
  background.DoModal();
  EXPECT_TRUE(ran);
  const std::vector<std::string> expected{"background", "center", "show panel", "center", "run"};
  EXPECT_EQ(launcher.windows.log, expected);
}

TEST(MainViewBgTest, At120DpiMeasures1500By875) {
  LauncherFixture launcher(120);
  int width = 0;
  int height = 0;
  launcher.windows.whileRunning = [&](FakeLauncherWindow& window) {
    width = window.width;
    height = window.height;
  };
  MainViewBg background(launcher.services);
  background.DoModal();
  EXPECT_EQ(width, 1500);
  EXPECT_EQ(height, 875);
  EXPECT_DOUBLE_EQ(background.Scale().Factor(), 1.25);
}

TEST(MainViewBgTest, AMissingPictureShowsNothingButStillSizesTheWindow) {
  LauncherFixture launcher;
  launcher.windows.pictureSizes.erase(kBackgroundImageId);
  launcher.windows.whileRunning = [](FakeLauncherWindow& window) {
    EXPECT_EQ(window.background, nullptr);
    EXPECT_EQ(window.width, 1200);
  };
  MainViewBg background(launcher.services);
  background.DoModal();
}

TEST(MainViewBgTest, DragsFromVisiblePartsOutsideThePanelControlsOnly) {
  LauncherFixture launcher;
  launcher.windows.whileRunning = [](FakeLauncherWindow& window) {
    window.events.OnMouseDown(200, 300);
    window.events.OnMouseDown(600, 300);   // the browser
    window.events.OnMouseDown(1020, 150);  // the close picture
    window.events.OnMouseDown(700, 600);   // the progress bar is see-through
    ASSERT_EQ(window.drags.size(), 2u);
    EXPECT_EQ(window.drags[0].x, 200);
    EXPECT_EQ(window.drags[1].x, 700);
  };
  MainViewBg background(launcher.services);
  background.DoModal();
}

TEST(MainViewBgTest, EscapeIsConsumedAndEnterIsLeftToThePage) {
  LauncherFixture launcher;
  launcher.windows.whileRunning = [](FakeLauncherWindow& window) {
    EXPECT_TRUE(window.events.OnKeyDown(Key::Escape));
    EXPECT_FALSE(window.events.OnKeyDown(Key::Enter));
    EXPECT_FALSE(window.events.OnKeyDown(Key::Other));
  };
  MainViewBg background(launcher.services);
  background.DoModal();
  for (const std::string& call : launcher.windows.log) {
    EXPECT_NE(call, "close");
    EXPECT_NE(call, "hide panel");
  }
}

TEST(MainViewBgTest, AnEndedPanelIsNeitherPaintedNorClickedAndTheWholeWindowDrags) {
  LauncherFixture launcher;
  launcher.windows.whileRunning = [](FakeLauncherWindow& window) {
    EXPECT_FALSE(window.Paint().pictures.empty());
    window.events.OnMouseDown(1020, 150);
    window.events.OnMouseUp(1020, 150);
    EXPECT_TRUE(window.Paint().pictures.empty());
    EXPECT_TRUE(window.Paint().texts.empty());
    window.events.OnMouseDown(1020, 150);
    EXPECT_EQ(window.drags.size(), 1u);
  };
  MainViewBg background(launcher.services);
  background.DoModal();
}

}  // namespace
