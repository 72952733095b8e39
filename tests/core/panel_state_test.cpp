#include "core/panel_state.h"

#include <gtest/gtest.h>

#include "fakes/fake_environment.h"
#include "platform/file_system.h"
#include "temp_dir.h"

namespace {

TEST(PanelState, FreshStateHasItsInitialValues) {
  TempDir dir;
  PanelState state(FakeEnvironment(dir.WideFile(L"launch.exe")));
  EXPECT_EQ(state.m_nProgress, 1);
  EXPECT_EQ(PanelState::m_nProgressWidth, 565);
  EXPECT_EQ(PanelState::m_nProgressHeight, 5);
  EXPECT_FALSE(state.m_bShowProgress);
  EXPECT_FALSE(state.m_bRedrawPending);
  EXPECT_FALSE(state.m_bUpdating);
  EXPECT_EQ(state.m_verUrl, nullptr);
  EXPECT_EQ(state.m_nestedPage, nullptr);
  EXPECT_EQ(state.m_loginUrl, nullptr);
  EXPECT_EQ(state.m_clientUrl.load(), nullptr);
  EXPECT_EQ(state.m_exePath.load(), nullptr);
  EXPECT_EQ(state.m_newManifestText.load(), nullptr);
  EXPECT_TRUE(state.m_strPkgPath.empty());
}

TEST(PanelState, NullTextsReadAsEmpty) {
  PanelState state;
  EXPECT_EQ(state.VerUrl(), "");
  EXPECT_EQ(state.ExePath(), "");
  state.m_exePath = "GameClient/game.exe";
  EXPECT_EQ(state.ExePath(), "GameClient/game.exe");
}

TEST(PanelState, CreatesClientRootBesideTheExecutable) {
  TempDir dir;
  PanelState state(FakeEnvironment(dir.WideFile(L"launch.exe")));
  EXPECT_EQ(state.m_strMicroDir, dir.Wide() + L"micro" + platform::kPathSeparator);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "micro"));
}

TEST(PanelState, KeepsAnExistingClientRoot) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "micro" / "GameClient");
  dir.Write(L"micro/pkg.json", "{}");
  PanelState state(FakeEnvironment(dir.WideFile(L"launch.exe")));
  EXPECT_EQ(dir.Read(L"micro/pkg.json"), "{}");
}

TEST(PanelState, AdoptsConfigurationValuesThatOutliveTheReader) {
  TempDir dir;
  dir.Write(L"launch.json", R"({"ver_url":"v","nested_page":"n","login_url":"l"})");
  PanelState state(FakeEnvironment(dir.WideFile(L"launch.exe")));
  state.AdoptConfig(ReadLauncherConfig(dir.WideFile(L"launch.json")));
  EXPECT_STREQ(state.m_verUrl, "v");
  EXPECT_STREQ(state.m_nestedPage, "n");
  EXPECT_STREQ(state.m_loginUrl, "l");
}

TEST(PanelState, TooLongExecutableDirectoryLeavesNoClientRoot) {
  std::wstring directory(platform::kMaxPathChars, L'd');
  PanelState state(FakeEnvironment(directory + L"/launch.exe"));
  EXPECT_TRUE(state.m_strMicroDir.empty());
}

}  // namespace
