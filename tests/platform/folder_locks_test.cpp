// The system's folder lock on a scratch folder.
#include "platform/folder_locks.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace {

TEST(FolderLocks, OnlyOneLauncherHoldsAFolder) {
  TempDir dir;
  std::wstring lock = dir.WideFile(L"launcher.lock");
  auto first = platform::MakeSystemFolderLocks();
  ASSERT_TRUE(first->Claim(lock));
  std::string recorded = dir.Read(L"launcher.lock");
  // The second asks the holder (this very process here) to come forward,
  // which must not end it, and writes nothing.
  auto second = platform::MakeSystemFolderLocks();
  EXPECT_FALSE(second->Claim(lock));
  EXPECT_EQ(dir.Read(L"launcher.lock"), recorded);
  EXPECT_FALSE(recorded.empty());
  first.reset();
  auto third = platform::MakeSystemFolderLocks();
  EXPECT_TRUE(third->Claim(lock));
}

TEST(FolderLocks, ALockLeftByAnEndedProcessDoesNotBlock) {
  TempDir dir;
  dir.Write(L"launcher.lock", "999999");
  auto locks = platform::MakeSystemFolderLocks();
  EXPECT_TRUE(locks->Claim(dir.WideFile(L"launcher.lock")));
}

}  // namespace
