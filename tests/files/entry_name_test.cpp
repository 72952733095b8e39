#include "files/entry_name.h"

#include <gtest/gtest.h>

namespace {

TEST(CleanEntryName, DropsDrivesRootsAndEverythingUpToAParentStep) {
  EXPECT_EQ(CleanEntryName(L"D:\\game\\data.bin"), L"game\\data.bin");
  EXPECT_EQ(CleanEntryName(L"/abs/x.txt"), L"abs/x.txt");
  EXPECT_EQ(CleanEntryName(L"a/b/../c.txt"), L"c.txt");
  EXPECT_EQ(CleanEntryName(L"a\\..\\b/../c.txt"), L"c.txt");
  EXPECT_EQ(CleanEntryName(L"//server/share/x"), L"server/share/x");
  EXPECT_EQ(CleanEntryName(L"plain/name.txt"), L"plain/name.txt");
  EXPECT_EQ(CleanEntryName(L"dir/"), L"dir/");
}

TEST(CleanEntryName, NoParentStepSurvivesAtTheStart) {
  const wchar_t* escaping[] = {L"../x",     L"..\\x",     L"..",         L"../../x",
                               L"..\\../x", L"a/../../x", L"./../x",     L"C:..\\x",
                               L"/../x",    L"\\..\\x",   L"C:/../../x", L"x/../.."};
  for (const wchar_t* name : escaping) {
    std::wstring cleaned = CleanEntryName(name);
    EXPECT_FALSE(ClimbsAboveBase(cleaned)) << std::wstring(name).size();
    EXPECT_NE(cleaned.rfind(L"..", 0), 0u) << cleaned.size();
  }
  EXPECT_EQ(CleanEntryName(L"../../x"), L"x");
  EXPECT_EQ(CleanEntryName(L".."), L"");
  EXPECT_EQ(CleanEntryName(L"..\\../x"), L"x");
}

TEST(CleanEntryName, DotsThatAreNoParentStepStay) {
  EXPECT_EQ(CleanEntryName(L"..data/x"), L"..data/x");
  EXPECT_EQ(CleanEntryName(L"...txt"), L"...txt");
  EXPECT_EQ(CleanEntryName(L"./x"), L"./x");
}

TEST(ClimbsAboveBase, CountsParentStepsAgainstTheDepth) {
  EXPECT_TRUE(ClimbsAboveBase(L"../x"));
  EXPECT_TRUE(ClimbsAboveBase(L"a/../../x"));
  EXPECT_TRUE(ClimbsAboveBase(L"a\\..\\..\\x"));
  EXPECT_TRUE(ClimbsAboveBase(L"./.."));
  EXPECT_FALSE(ClimbsAboveBase(L"a/../x"));
  EXPECT_FALSE(ClimbsAboveBase(L"a/b/.."));
  EXPECT_FALSE(ClimbsAboveBase(L""));
  EXPECT_FALSE(ClimbsAboveBase(L"..a/x"));
}

TEST(DecodeEntryName, Utf8WithReplacementAndStopsAtZero) {
  EXPECT_EQ(DecodeEntryName("\xE6\xB8\xB8\xE6\x88\x8F/\xE6\x95\xB0\xE6\x8D\xAE.bin"),
            L"\u6E38\u620F/\u6570\u636E.bin");
  // Code page 1252 and GBK bytes that are no UTF-8.
  EXPECT_EQ(DecodeEntryName("caf\xE9.txt"), L"caf\xFFFD.txt");
  EXPECT_EQ(DecodeEntryName("\xD3\xCE.txt"), L"\xFFFD\xFFFD.txt");
  EXPECT_EQ(DecodeEntryName(std::string("ab\0cd", 5)), L"ab");
}

}  // namespace
