#include "platform/linux/folder_cleaner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Writes `name` below `dir`, making its folders first.
void Put(const TempDir& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories((dir.Path() / name).parent_path());
  dir.Write(std::wstring(name.begin(), name.end()), bytes);
}

TEST(LinuxFolderCleanerTest, DeletesTheFilesOfNestedFoldersAndKeepsTheFolders) {
  TempDir dir;
  Put(dir, "cache/a.dat", "a");
  Put(dir, "cache/deep/er/b.dat", "b");
  Put(dir, "cache/readonly.dat", "r");
  ::chmod((dir.Path() / "cache/readonly.dat").c_str(), 0444);
  platform::LinuxFolderCleaner cleaner;
  EXPECT_TRUE(cleaner.DeleteContents(dir.WideFile(L"cache")));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "cache"));
  EXPECT_FALSE(fs::exists(dir.Path() / "cache/a.dat"));
  EXPECT_FALSE(fs::exists(dir.Path() / "cache/readonly.dat"));
  EXPECT_FALSE(fs::exists(dir.Path() / "cache/deep/er/b.dat"));
  // As del /s on Windows: the files go, every subfolder stays.
  EXPECT_TRUE(fs::is_empty(dir.Path() / "cache/deep/er"));
}

TEST(LinuxFolderCleanerTest, LinksAreRemovedNotFollowed) {
  TempDir dir;
  Put(dir, "outside/keep.dat", "k");
  Put(dir, "cache/x.dat", "x");
  fs::create_directory_symlink(dir.Path() / "outside", dir.Path() / "cache/link");
  platform::LinuxFolderCleaner cleaner;
  EXPECT_TRUE(cleaner.DeleteContents(dir.WideFile(L"cache")));
  EXPECT_TRUE(fs::is_empty(dir.Path() / "cache"));
  EXPECT_EQ(dir.Read(L"outside/keep.dat"), "k");
}

TEST(LinuxFolderCleanerTest, AMissingFolderIsAlreadyEmptyButAFileIsNotAFolder) {
  TempDir dir;
  Put(dir, "plain", "p");
  platform::LinuxFolderCleaner cleaner;
  EXPECT_TRUE(cleaner.DeleteContents(dir.WideFile(L"absent")));
  EXPECT_FALSE(cleaner.DeleteContents(dir.WideFile(L"plain")));
  EXPECT_EQ(dir.Read(L"plain"), "p");
}

TEST(LinuxFolderCleanerTest, UndeletableEntriesAreReported) {
  if (::geteuid() == 0) GTEST_SKIP() << "root deletes from read-only folders";
  TempDir dir;
  Put(dir, "cache/locked/x.dat", "x");
  ::chmod((dir.Path() / "cache/locked").c_str(), 0555);
  platform::LinuxFolderCleaner cleaner;
  EXPECT_FALSE(cleaner.DeleteContents(dir.WideFile(L"cache")));
  ::chmod((dir.Path() / "cache/locked").c_str(), 0755);
}

TEST(LinuxFolderCleanerTest, HomeComesFromTheEnvironmentWithASeparator) {
  const char* saved = std::getenv("HOME");
  std::string previous = saved != nullptr ? saved : "";
  ::setenv("HOME", "/home/player", 1);
  EXPECT_EQ(platform::LinuxFolderCleaner().HomeDirectory(), L"/home/player/");
  ::setenv("HOME", "relative/home", 1);
  EXPECT_EQ(platform::LinuxFolderCleaner().HomeDirectory(), std::nullopt);
  ::unsetenv("HOME");
  EXPECT_EQ(platform::LinuxFolderCleaner().HomeDirectory(), std::nullopt);
  ::setenv("HOME", previous.c_str(), 1);
}

}  // namespace
