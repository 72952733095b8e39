#include "files/entry_times.h"

#include <gtest/gtest.h>

#include "zip_builder.h"

namespace {

constexpr platform::FileTime kUnixEpoch = 116444736000000000ull;
constexpr platform::FileTime kSecond = 10000000;

TEST(DosToLocal, SplitsTheFields) {
  auto local = DosToLocal(testzip::DosDateTime(2021, 6, 15, 10, 20, 30));
  ASSERT_TRUE(local);
  EXPECT_EQ(local->year, 2021);
  EXPECT_EQ(local->month, 6);
  EXPECT_EQ(local->day, 15);
  EXPECT_EQ(local->hour, 10);
  EXPECT_EQ(local->minute, 20);
  EXPECT_EQ(local->second, 30);
  EXPECT_TRUE(DosToLocal(testzip::DosDateTime(2024, 2, 29, 23, 59, 58)));
}

TEST(DosToLocal, NoCalendarTimeGivesNone) {
  EXPECT_FALSE(DosToLocal(0));  // month 0, day 0
  EXPECT_FALSE(DosToLocal(testzip::DosDateTime(2021, 13, 1, 0, 0, 0)));
  EXPECT_FALSE(DosToLocal(testzip::DosDateTime(2023, 2, 29, 0, 0, 0)));
  EXPECT_FALSE(DosToLocal(testzip::DosDateTime(2021, 4, 31, 0, 0, 0)));
  EXPECT_FALSE(DosToLocal(testzip::DosDateTime(2021, 1, 1, 24, 0, 0)));
  EXPECT_FALSE(DosToLocal(testzip::DosDateTime(2021, 1, 1, 0, 60, 0)));
  EXPECT_FALSE(DosToLocal(testzip::DosDateTime(2021, 1, 1, 0, 0, 60)));
}

EntryTimes Dos() {
  return {1, 2, 3};
}

TEST(ApplyExtendedTimestamps, FlagsChooseWhichTimesFollow) {
  EntryTimes times = Dos();
  ApplyExtendedTimestamps(testzip::UtBlock(1, {1000}), times);
  EXPECT_EQ(times.write, kUnixEpoch + 1000 * kSecond);
  EXPECT_EQ(times.access, 2u);
  EXPECT_EQ(times.creation, 3u);

  times = Dos();
  ApplyExtendedTimestamps(testzip::UtBlock(6, {20, 30}), times);
  EXPECT_EQ(times.write, 1u);
  EXPECT_EQ(times.access, kUnixEpoch + 20 * kSecond);
  EXPECT_EQ(times.creation, kUnixEpoch + 30 * kSecond);

  times = Dos();
  ApplyExtendedTimestamps(testzip::UtBlock(7, {-1, 0, 1}), times);
  EXPECT_EQ(times.write, kUnixEpoch - kSecond);
  EXPECT_EQ(times.access, kUnixEpoch);
  EXPECT_EQ(times.creation, kUnixEpoch + kSecond);
}

TEST(ApplyExtendedTimestamps, FindsTheBlockAfterOthers) {
  EntryTimes times = Dos();
  std::string extra =
      testzip::ExtraBlock(0x7875, std::string(300, 'x')) + testzip::UtBlock(1, {77});
  ApplyExtendedTimestamps(extra, times);
  EXPECT_EQ(times.write, kUnixEpoch + 77 * kSecond);
}

TEST(ApplyExtendedTimestamps, TimesCutOffByTheFieldEndAreIgnored) {
  EntryTimes times = Dos();
  std::string extra = testzip::UtBlock(3, {5, 6});
  extra.resize(extra.size() - 1);
  ApplyExtendedTimestamps(extra, times);
  EXPECT_EQ(times.write, kUnixEpoch + 5 * kSecond);
  EXPECT_EQ(times.access, 2u);

  times = Dos();
  ApplyExtendedTimestamps(testzip::ExtraBlock(0x1234, std::string(2, 'x')) + "UT", times);
  EXPECT_EQ(times.write, 1u);
  ApplyExtendedTimestamps(std::string("UT\x05\x00", 4), times);
  EXPECT_EQ(times.write, 1u);
}

TEST(ApplyExtendedTimestamps, OnlyTheFirstUtBlockCounts) {
  EntryTimes times = Dos();
  ApplyExtendedTimestamps(testzip::UtBlock(2, {9}) + testzip::UtBlock(1, {8}), times);
  EXPECT_EQ(times.write, 1u);
  EXPECT_EQ(times.access, kUnixEpoch + 9 * kSecond);
}

}  // namespace
