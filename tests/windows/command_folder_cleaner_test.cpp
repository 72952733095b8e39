// Emptying folders through cmd.exe's del, as the clear-cache command does.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>

#include "platform/file_system.h"
#include "platform/win32/command_folder_cleaner.h"
#include "temp_dir.h"

namespace {

using platform::PathKind;

TEST(CommandFolderCleaner, DeletesEveryFileBelowTheFolderAndKeepsTheFolders) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / L"cache" / L"deep");
  dir.Write(L"cache\\a.bin", "a");
  dir.Write(L"cache\\deep\\b \u4E2D.bin", "b");
  dir.Write(L"keep.txt", "k");
  std::filesystem::permissions(dir.Path() / L"cache" / L"a.bin",
                               std::filesystem::perms::owner_read);

  platform::CommandFolderCleaner cleaner;
  EXPECT_TRUE(cleaner.DeleteContents(dir.WideFile(L"cache")));
  EXPECT_EQ(platform::GetPathKind(dir.WideFile(L"cache\\a.bin")), PathKind::None);
  EXPECT_EQ(platform::GetPathKind(dir.WideFile(L"cache\\deep\\b \u4E2D.bin")), PathKind::None);
  EXPECT_EQ(platform::GetPathKind(dir.WideFile(L"cache\\deep")), PathKind::Directory);
  EXPECT_EQ(platform::GetPathKind(dir.WideFile(L"keep.txt")), PathKind::File);
}

TEST(CommandFolderCleaner, MissingFolderCountsAsEmpty) {
  TempDir dir;
  platform::CommandFolderCleaner cleaner;
  EXPECT_TRUE(cleaner.DeleteContents(dir.WideFile(L"absent")));
}

TEST(CommandFolderCleaner, HomeIsTheUserProfileWithASeparator) {
  platform::CommandFolderCleaner cleaner;
  std::optional<std::wstring> home = cleaner.HomeDirectory();
  ASSERT_TRUE(home.has_value());
  EXPECT_EQ(home->back(), L'\\');
  EXPECT_EQ(platform::GetPathKind(*home), PathKind::Directory);
}

TEST(CommandFolderCleaner, NoHomeWithoutAnAbsoluteUserProfile) {
  wchar_t saved[MAX_PATH] = {};
  DWORD length = ::GetEnvironmentVariableW(L"USERPROFILE", saved, MAX_PATH);
  platform::CommandFolderCleaner cleaner;
  ::SetEnvironmentVariableW(L"USERPROFILE", nullptr);
  EXPECT_EQ(cleaner.HomeDirectory(), std::nullopt);
  ::SetEnvironmentVariableW(L"USERPROFILE", L"Users\\player");
  EXPECT_EQ(cleaner.HomeDirectory(), std::nullopt);
  ::SetEnvironmentVariableW(L"USERPROFILE", std::wstring(MAX_PATH + 10, L'a').c_str());
  EXPECT_EQ(cleaner.HomeDirectory(), std::nullopt);
  ::SetEnvironmentVariableW(L"USERPROFILE", length > 0 && length < MAX_PATH ? saved : nullptr);
}

}  // namespace
