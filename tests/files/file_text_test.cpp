#include "files/file_text.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace {

using platform::ReadStatus;

TEST(ApplyTextMode, TurnsCrLfIntoLfButKeepsLoneCarriageReturns) {
  EXPECT_EQ(ApplyTextMode("a\r\nb\rc\r\n\r\n"), "a\nb\rc\n\n");
  EXPECT_EQ(ApplyTextMode("\r\r\n"), "\r\n");
  EXPECT_EQ(ApplyTextMode("end\r"), "end\r");
}

TEST(ApplyTextMode, StopsAtControlZAndAtZeroByte) {
  EXPECT_EQ(ApplyTextMode(std::string_view("ab\x1A"
                                           "cd",
                                           5)),
            "ab");
  EXPECT_EQ(ApplyTextMode(std::string_view("ab\0cd", 5)), "ab");
  EXPECT_EQ(ApplyTextMode(std::string_view("\x1A", 1)), "");
}

TEST(ReadFileText, ReadsWholeFileInTextMode) {
  TempDir dir;
  dir.Write(L"m.json", "{\r\n\"a\": 1\r\n}\r\n");
  FileText file = ReadFileText(dir.WideFile(L"m.json"));
  EXPECT_EQ(file.status, ReadStatus::Ok);
  EXPECT_EQ(file.text, "{\n\"a\": 1\n}\n");
}

TEST(ReadFileText, MissingFileIsEmptyText) {
  TempDir dir;
  FileText file = ReadFileText(dir.WideFile(L"absent.json"));
  EXPECT_EQ(file.status, ReadStatus::Missing);
  EXPECT_EQ(file.text, "");
}

TEST(ReadFileText, DirectoryIsUnreadableNotMissing) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "sub");
  FileText file = ReadFileText(dir.WideFile(L"sub"));
  EXPECT_EQ(file.status, ReadStatus::Unreadable);
  EXPECT_EQ(file.text, "");
}

TEST(ReadFileText, RefusesFilesTooLargeToBeConfiguration) {
  TempDir dir;
  dir.Write(L"big", std::string(kMaxTextFileBytes + 1, ' '));
  FileText file = ReadFileText(dir.WideFile(L"big"));
  EXPECT_EQ(file.status, ReadStatus::TooLarge);
  EXPECT_EQ(file.text, "");
}

TEST(ReadFileText, ReadsNonAsciiFileNames) {
  TempDir dir;
  dir.Write(L"配置.json", "x");
  EXPECT_EQ(ReadFileText(dir.WideFile(L"配置.json")).text, "x");
}

}  // namespace
