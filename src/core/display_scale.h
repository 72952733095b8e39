// Layout is designed on a 1200 x 700 canvas at 96 DPI and scaled to the screen.
#pragma once

namespace platform {
class Environment;
}

inline constexpr int kDesignDpi = 96;

// The screen's logical DPI as a percentage of 96, truncated: 120 gives 125,
// 110 gives 114; 100 when the screen cannot be asked.
int GetDisplayScalePercent(const platform::Environment& environment);

// One window's scale factor. It is 1.0 until the window refreshes it, once,
// when it initialises; every layout value of that window goes through it.
class DesignScale {
 public:
  void Refresh(int percent) { factor_ = percent / 100.0; }
  double Factor() const { return factor_; }
  // trunc(value x factor), computed in double precision.
  int Scale(int designValue) const { return static_cast<int>(designValue * factor_); }

 private:
  double factor_ = 1.0;
};
