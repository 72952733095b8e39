#include "files/path_join.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"

namespace {

const std::wstring kSep(1, platform::kPathSeparator);

TEST(JoinPath, PutsExactlyOneSeparatorBetween) {
  EXPECT_EQ(JoinPath(L"dir", L"micro\\").value(), L"dir" + kSep + L"micro" + kSep);
  EXPECT_EQ(JoinPath(L"dir\\", L"\\pkg.json").value(), L"dir\\pkg.json");
  EXPECT_EQ(JoinPath(L"dir/", L"pkg.json").value(), L"dir/pkg.json");
  EXPECT_EQ(JoinPath(L"", L"pkg.json").value(), L"pkg.json");
}

TEST(JoinPath, NormalisesSeparatorsOfTheAppendedPart) {
  EXPECT_EQ(JoinPath(L"root", L"bin/x\\game.exe").value(),
            L"root" + kSep + L"bin" + kSep + L"x" + kSep + L"game.exe");
}

TEST(JoinPath, RefusesResultsBeyondThePathLimit) {
  std::wstring directory(platform::kMaxPathChars - 2, L'd');
  EXPECT_TRUE(JoinPath(directory, L"a").has_value());
  EXPECT_FALSE(JoinPath(directory, L"ab").has_value());
}

TEST(DirectoryOf, CutsAtTheLastSeparator) {
  EXPECT_EQ(DirectoryOf(L"D:\\Games\\launch.exe"), L"D:\\Games");
  EXPECT_EQ(DirectoryOf(L"/opt/game/launcher"), L"/opt/game");
  EXPECT_EQ(DirectoryOf(L"launcher"), L"");
}

}  // namespace
