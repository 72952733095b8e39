// The system's folder lock on a scratch folder.
#include "platform/folder_locks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "temp_dir.h"

namespace {

using platform::FolderClaim;

TEST(FolderLocks, OnlyOneLauncherHoldsAFolder) {
  TempDir dir;
  std::wstring lock = dir.WideFile(L"launcher.lock");
  auto first = platform::MakeSystemFolderLocks();
  ASSERT_EQ(first->Claim(lock), FolderClaim::Held);
  std::string recorded = dir.Read(L"launcher.lock");
  // The second asks the holder (this very process here) to come forward,
  // which must not end it, and writes nothing.
  auto second = platform::MakeSystemFolderLocks();
  EXPECT_EQ(second->Claim(lock), FolderClaim::HeldElsewhere);
  EXPECT_EQ(dir.Read(L"launcher.lock"), recorded);
  EXPECT_FALSE(recorded.empty());
  first.reset();
  auto third = platform::MakeSystemFolderLocks();
  EXPECT_EQ(third->Claim(lock), FolderClaim::Held);
}

TEST(FolderLocks, ALockLeftByAnEndedProcessDoesNotBlock) {
  TempDir dir;
  dir.Write(L"launcher.lock", "999999");
  auto locks = platform::MakeSystemFolderLocks();
  EXPECT_EQ(locks->Claim(dir.WideFile(L"launcher.lock")), FolderClaim::Held);
}

// Taken anyway, a directory let two launchers update one folder, and a link
// had its target overwritten with the process number.
TEST(FolderLocks, ALockThatIsNoPlainFileOfItsOwnIsNeverTaken) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "directory.lock");
  dir.Write(L"saves.dat", "the player's saves");
  std::filesystem::create_hard_link(dir.Path() / "saves.dat", dir.Path() / "hard.lock");
  std::vector<std::wstring> locks{L"directory.lock", L"hard.lock"};
#ifndef _WIN32
  std::filesystem::create_symlink(dir.Path() / "saves.dat", dir.Path() / "symbolic.lock");
  locks.push_back(L"symbolic.lock");
#endif
  for (const std::wstring& lock : locks) {
    EXPECT_EQ(platform::MakeSystemFolderLocks()->Claim(dir.WideFile(lock)), FolderClaim::Unusable)
        << std::filesystem::path(lock);
  }
  EXPECT_EQ(dir.Read(L"saves.dat"), "the player's saves");
}

}  // namespace
