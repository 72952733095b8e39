#include "browser/browser_emulation.h"

#include <gtest/gtest.h>

#include "registry_sandbox.h"

namespace {

using platform::RegistryRoot;

const wchar_t kEngineKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";
const wchar_t kEmulationKey[] =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION";

class BrowserEmulation : public ::testing::Test {
 protected:
  void InstallEngine(const std::wstring& version) {
    sandbox_.SetString(RegistryRoot::LocalMachine, kEngineKey, L"svcVersion", version);
  }
  void CreateFeatureKey() { sandbox_.CreateKey(RegistryRoot::CurrentUser, kEmulationKey); }
  std::optional<std::uint32_t> Written(const wchar_t* name = L"Launcher.exe") const {
    return sandbox_.GetDword(RegistryRoot::CurrentUser, kEmulationKey, name);
  }

  RegistrySandbox sandbox_;
};

TEST_F(BrowserEmulation, MajorVersionSelectsTheDocumentMode) {
  CreateFeatureKey();
  const std::pair<const wchar_t*, std::uint32_t> table[] = {
      {L"8.0.6001.18702", 8000},   {L"9.0.8112.16421", 9000}, {L"10.0.9200.16384", 10000},
      {L"11.0.9600.19036", 11000}, {L" +11.0", 11000},  // read as wcstol reads it
  };
  for (const auto& [version, expected] : table) {
    InstallEngine(version);
    SetBrowserEmulation(sandbox_.Registry(), L"Launcher.exe");
    EXPECT_EQ(Written(), expected) << version;
  }
}

TEST_F(BrowserEmulation, ReplacesAnEarlierValue) {
  CreateFeatureKey();
  sandbox_.SetDword(RegistryRoot::CurrentUser, kEmulationKey, L"Launcher.exe", 7000);
  sandbox_.SetDword(RegistryRoot::CurrentUser, kEmulationKey, L"Other.exe", 7000);
  InstallEngine(L"11.0.9600.19036");
  SetBrowserEmulation(sandbox_.Registry(), L"Launcher.exe");
  EXPECT_EQ(Written(), 11000u);
  EXPECT_EQ(Written(L"Other.exe"), 7000u);
}

TEST_F(BrowserEmulation, WritesNothingForUnknownOrUnreadableVersions) {
  CreateFeatureKey();
  for (const wchar_t* version :
       {L"11", L"7.0.6000.16386", L"12.0.1", L"0.11", L"", L"eleven.0", L"-11.0"}) {
    InstallEngine(version);
    SetBrowserEmulation(sandbox_.Registry(), L"Launcher.exe");
    EXPECT_EQ(Written(), std::nullopt) << version;
  }
}

TEST_F(BrowserEmulation, VersionTextMustFitSixtyFourCharacters) {
  CreateFeatureKey();
  std::wstring fits = L"11." + std::wstring(60, L'0');  // 63 characters and the terminator
  InstallEngine(fits + L"0");
  SetBrowserEmulation(sandbox_.Registry(), L"Launcher.exe");
  EXPECT_EQ(Written(), std::nullopt);
  InstallEngine(fits);
  SetBrowserEmulation(sandbox_.Registry(), L"Launcher.exe");
  EXPECT_EQ(Written(), 11000u);
}

TEST_F(BrowserEmulation, WritesNothingWithoutTheEngineKeyOrValue) {
  CreateFeatureKey();
  SetBrowserEmulation(sandbox_.Registry(), L"Launcher.exe");
  EXPECT_EQ(Written(), std::nullopt);
  sandbox_.SetString(RegistryRoot::LocalMachine, kEngineKey, L"Version", L"9.11.9600.19036");
  SetBrowserEmulation(sandbox_.Registry(), L"Launcher.exe");
  EXPECT_EQ(Written(), std::nullopt);
}

TEST_F(BrowserEmulation, NeverCreatesTheFeatureKey) {
  InstallEngine(L"11.0.9600.19036");
  SetBrowserEmulation(sandbox_.Registry(), L"Launcher.exe");
  EXPECT_FALSE(sandbox_.KeyExists(RegistryRoot::CurrentUser, kEmulationKey));
}

TEST_F(BrowserEmulation, NullNameWritesNothing) {
  CreateFeatureKey();
  InstallEngine(L"11.0.9600.19036");
  SetBrowserEmulation(sandbox_.Registry(), nullptr);
  EXPECT_EQ(Written(L""), std::nullopt);
}

TEST(BrowserEmulationValueName, IsTheFileNameWithExe) {
  EXPECT_EQ(BrowserEmulationValueName(L"D:\\Games\\Launcher.EXE"), L"Launcher.exe");
  EXPECT_EQ(BrowserEmulationValueName(L"D:\\Games\\my.launcher.exe"), L"my.launcher.exe");
  EXPECT_EQ(BrowserEmulationValueName(L"/opt/games/launcher"), L"launcher.exe");
  EXPECT_EQ(BrowserEmulationValueName(L"Launcher.EXE"), L"Launcher.exe");
}

}  // namespace
