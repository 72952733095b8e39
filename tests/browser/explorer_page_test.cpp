#include "browser/explorer_page.h"

#include <gtest/gtest.h>

#include "fakes/fake_browser_control.h"

namespace {

TEST(CExplorerPage, PassesEachCallToTheBoundControl) {
  FakeBrowserControl control;
  CExplorer_page page;
  page.Bind(&control);
  page.put_Silent(true);
  page.Navigate(L"http://h/start.html");
  page.put_Left(526);
  page.put_Top(205);
  page.put_Width(706);
  page.put_Height(503);
  EXPECT_EQ(control.calls,
            (std::vector<std::wstring>{L"Silent 1", L"Navigate http://h/start.html", L"Left 526",
                                       L"Top 205", L"Width 706", L"Height 503"}));
}

TEST(CExplorerPage, ExecWBPassesOnlyTheOpticalZoom) {
  FakeBrowserControl control;
  CExplorer_page page;
  page.Bind(&control);
  VARIANT zoom{};
  zoom.vt = VT_I4;
  zoom.lVal = 156;
  page.ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DODEFAULT, &zoom, nullptr);
  page.ExecWB(OLECMDID_OPTICAL_ZOOM + 1, OLECMDEXECOPT_DODEFAULT, &zoom, nullptr);
  VARIANT empty{};
  page.ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DODEFAULT, &empty, nullptr);
  page.ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  EXPECT_EQ(control.calls, (std::vector<std::wstring>{L"Zoom 156"}));
}

TEST(CExplorerPage, UnboundDoesNothing) {
  FakeBrowserControl control;
  CExplorer_page page;
  page.Bind(&control);
  page.Bind(nullptr);
  page.put_Silent(true);
  page.Navigate(L"http://h/");
  page.put_Left(1);
  page.put_Top(1);
  page.put_Width(1);
  page.put_Height(1);
  VARIANT zoom{};
  zoom.vt = VT_I4;
  zoom.lVal = 100;
  page.ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DODEFAULT, &zoom, nullptr);
  EXPECT_TRUE(control.calls.empty());
}

}  // namespace
