#include "core/config_path.h"

#include <gtest/gtest.h>

namespace {

TEST(ConfigFilePath, ReplacesTheExtensionBesideTheExecutable) {
  EXPECT_EQ(ConfigFilePath(L"D:\\Games\\launch.exe"), L"D:\\Games\\launch.json");
  EXPECT_EQ(ConfigFilePath(L"D:\\Games\\Launcher.EXE"), L"D:\\Games\\Launcher.json");
}

TEST(ConfigFilePath, OnlyTheLastDotOfTheFileNameCounts) {
  EXPECT_EQ(ConfigFilePath(L"D:\\Games\\my.launcher.exe"), L"D:\\Games\\my.launcher.json");
}

TEST(ConfigFilePath, DotsInDirectoriesAreNotExtensions) {
  EXPECT_EQ(ConfigFilePath(L"D:\\my.games\\launcher"), L"D:\\my.games\\launcher.json");
  EXPECT_EQ(ConfigFilePath(L"/home/p/.local/bin/launcher"), L"/home/p/.local/bin/launcher.json");
  EXPECT_EQ(ConfigFilePath(L"C:/a.b/c"), L"C:/a.b/c.json");
}

TEST(ConfigFilePath, NameWithoutAnyDotGetsTheSuffix) {
  EXPECT_EQ(ConfigFilePath(L"launcher"), L"launcher.json");
  EXPECT_EQ(ConfigFilePath(L"/opt/.hidden"), L"/opt/.hidden.json");
}

}  // namespace
