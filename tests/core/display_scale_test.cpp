#include "core/display_scale.h"

#include <gtest/gtest.h>

#include "fakes/fake_environment.h"

namespace {

int PercentAt(int dpi) {
  return GetDisplayScalePercent(FakeEnvironment(L"", dpi));
}

TEST(DisplayScale, PercentOfNinetySixTruncated) {
  EXPECT_EQ(PercentAt(96), 100);
  EXPECT_EQ(PercentAt(120), 125);
  EXPECT_EQ(PercentAt(144), 150);
  EXPECT_EQ(PercentAt(192), 200);
  EXPECT_EQ(PercentAt(110), 114);
  EXPECT_EQ(PercentAt(168), 175);
  EXPECT_EQ(PercentAt(72), 75);
}

TEST(DisplayScale, AScreenThatCannotBeAskedIsTheDesignsOwn) {
  EXPECT_EQ(GetDisplayScalePercent(FakeEnvironment(L"", std::nullopt)), 100);
}

TEST(DesignScale, StartsAtOneAndScalesByTruncation) {
  DesignScale scale;
  EXPECT_EQ(scale.Factor(), 1.0);
  EXPECT_EQ(scale.Scale(1200), 1200);

  scale.Refresh(125);
  EXPECT_EQ(scale.Scale(1200), 1500);
  EXPECT_EQ(scale.Scale(700), 875);
}

TEST(DesignScale, OneHundredFourteenPercentLiesJustBelowAndTruncates) {
  DesignScale scale;
  scale.Refresh(PercentAt(110));
  EXPECT_LT(scale.Factor(), 1.14 + 1e-12);
  EXPECT_EQ(scale.Scale(1200), 1367);
  EXPECT_EQ(scale.Scale(700), 797);
}

TEST(DesignScale, CopiesAreIndependent) {
  DesignScale background;
  DesignScale panel;
  background.Refresh(150);
  EXPECT_EQ(panel.Scale(565), 565);
  EXPECT_EQ(background.Scale(565), 847);
}

}  // namespace
