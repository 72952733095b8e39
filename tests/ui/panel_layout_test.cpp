#include "ui/panel_layout.h"

#include <gtest/gtest.h>

#include <climits>

using platform::Rect;

TEST(ProgressBarLengthTest, FollowsThePercentWithinOneToFull) {
  EXPECT_EQ(ProgressBarLength(0, 565), 1);
  EXPECT_EQ(ProgressBarLength(1, 565), 5);
  EXPECT_EQ(ProgressBarLength(50, 565), 282);
  EXPECT_EQ(ProgressBarLength(99, 565), 559);
  EXPECT_EQ(ProgressBarLength(100, 565), 565);
  EXPECT_EQ(ProgressBarLength(101, 565), 565);
  EXPECT_EQ(ProgressBarLength(-40, 565), 1);
}

TEST(ProgressBarLengthTest, HugeValuesDoNotOverflow) {
  EXPECT_EQ(ProgressBarLength(INT_MAX, 565), 565);
  EXPECT_EQ(ProgressBarLength(INT_MIN, 565), 1);
}

TEST(PanelLayoutTest, At96DpiDesignValuesAreThePixels) {
  DesignScale scale;
  PanelLayout layout(scale);
  EXPECT_EQ(layout.Window(), (Rect{0, 0, 1200, 700}));
  EXPECT_EQ(layout.Browser(), (Rect{421, 164, 565, 403}));
  EXPECT_EQ(layout.CloseControl(), (Rect{1010, 144, 44, 42}));
  EXPECT_EQ(layout.ClearCacheControl(), (Rect{340, 545, 66, 23}));
  EXPECT_EQ(layout.ProgressBar(100), (Rect{421, 600, 565, 5}));
}

TEST(PanelLayoutTest, At120DpiEveryValueIsScaledAndTruncated) {
  DesignScale scale;
  scale.Refresh(125);
  PanelLayout layout(scale);
  EXPECT_EQ(layout.Window(), (Rect{0, 0, 1500, 875}));
  EXPECT_EQ(layout.Browser(), (Rect{526, 205, 706, 503}));
  EXPECT_EQ(layout.CloseControl(), (Rect{1262, 180, 55, 52}));
  EXPECT_EQ(layout.ClearCacheControl(), (Rect{425, 681, 82, 28}));
  EXPECT_EQ(layout.ProgressBar(100), (Rect{526, 750, 706, 6}));
  EXPECT_EQ(layout.ProgressBar(50), (Rect{526, 750, 352, 6}));
}

TEST(PanelLayoutTest, StripGrowsOnlyAtDoubleScale) {
  DesignScale scale;
  scale.Refresh(150);
  EXPECT_EQ(PanelLayout(scale).ProgressStrip(), (Rect{631, 900, 1, 1}));
  scale.Refresh(200);
  EXPECT_EQ(PanelLayout(scale).ProgressStrip(), (Rect{842, 1200, 2, 2}));
}

TEST(PanelLayoutTest, At110DpiTheProductsAreTruncated) {
  DesignScale scale;
  scale.Refresh(114);
  EXPECT_EQ(PanelLayout(scale).Window(), (Rect{0, 0, 1367, 797}));
}

TEST(PanelLayoutTest, HitTestFindsTheVisibleControls) {
  DesignScale scale;
  PanelLayout layout(scale);
  EXPECT_EQ(layout.HitTest(1010, 144), PanelPart::Close);
  EXPECT_EQ(layout.HitTest(1053, 185), PanelPart::Close);
  EXPECT_EQ(layout.HitTest(1054, 185), PanelPart::None);
  EXPECT_EQ(layout.HitTest(340, 545), PanelPart::ClearCache);
  EXPECT_EQ(layout.HitTest(405, 567), PanelPart::ClearCache);
  EXPECT_EQ(layout.HitTest(600, 300), PanelPart::Browser);
  EXPECT_EQ(layout.HitTest(200, 300), PanelPart::None);
  EXPECT_EQ(layout.HitTest(600, 602), PanelPart::None);
}

TEST(CenterInTest, CentresOnTheAreaAndKeepsLargeWindowsInsideItsCorner) {
  Rect area{0, 30, 1920, 1050};
  EXPECT_EQ(platform::CenterIn(area, 1200, 700), (Rect{360, 205, 1200, 700}));
  EXPECT_EQ(platform::CenterIn(area, 2000, 1200), (Rect{0, 30, 2000, 1200}));
  EXPECT_EQ(platform::CenterIn({100, 0, 1201, 701}, 1200, 700), (Rect{100, 0, 1200, 700}));
}
