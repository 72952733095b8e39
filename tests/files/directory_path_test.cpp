#include "files/directory_path.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(CreateDirectoryPath, LastComponentNeedsTrailingSeparator) {
  TempDir dir;
  EXPECT_EQ(CreateDirectoryPath(dir.Wide() + L"a/b\\c"), 0);
  EXPECT_TRUE(fs::is_directory(dir.Path() / "a" / "b"));
  EXPECT_FALSE(fs::exists(dir.Path() / "a" / "b" / "c"));

  EXPECT_EQ(CreateDirectoryPath(dir.Wide() + L"a/b\\c/"), 0);
  EXPECT_TRUE(fs::is_directory(dir.Path() / "a" / "b" / "c"));
}

TEST(CreateDirectoryPath, ExistingDirectoriesAreFine) {
  TempDir dir;
  EXPECT_EQ(CreateDirectoryPath(dir.Wide() + L"x/"), 0);
  EXPECT_EQ(CreateDirectoryPath(dir.Wide() + L"x/"), 0);
  EXPECT_TRUE(fs::is_directory(dir.Path() / "x"));
}

TEST(CreateDirectoryPath, FileInTheWayFailsAndStops) {
  TempDir dir;
  dir.Write(L"file", "x");
  EXPECT_EQ(CreateDirectoryPath(dir.Wide() + L"file/sub/deeper/"), -1);
  EXPECT_FALSE(fs::exists(dir.Path() / "file" / "sub"));
}

TEST(CreateDirectoryPath, PathsLongerThan256BytesWork) {
  TempDir dir;
  std::wstring path = dir.Wide();
  for (int i = 0; i < 30; ++i) path += L"abcdefghij/";
  ASSERT_GT(path.size(), 256u);
  int result = CreateDirectoryPath(path);
  // Windows refuses paths beyond its limit; then the call fails cleanly.
  if (result == 0) {
    EXPECT_TRUE(fs::is_directory(fs::path(path)));
  } else {
    EXPECT_EQ(result, -1);
  }
}

TEST(CreateDirectoryPath, AnsiPathsWork) {
  TempDir dir;
  std::string path = platform::EncodeAnsi(dir.Wide()) + "n1\\n2/";
  EXPECT_EQ(CreateDirectoryPath(path.c_str()), 0);
  EXPECT_TRUE(fs::is_directory(dir.Path() / "n1" / "n2"));
}

}  // namespace
