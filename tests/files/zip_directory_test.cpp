// The central directory read from a package's last bytes, as the range update
// fetches them.
#include "files/zip_directory.h"

#include <gtest/gtest.h>

#include "zip_builder.h"

namespace {

constexpr std::uint32_t kEndRecord = 0x06054b50;

TEST(ZipDirectory, EntriesComeWithTheirCrcSizesAndLocalHeaders) {
  std::string zip = testzip::Build({{"a.txt", std::string(5000, 'a')}, {"dir/b.bin", "bee"}});
  // The tail as a server sends it for "bytes=-N": here all but the first 10.
  std::string_view tail = std::string_view(zip).substr(10);
  ZipEndScan scan = FindZipEnd(tail, 10);
  ASSERT_EQ(scan.problem, ZipEndProblem::None);
  EXPECT_EQ(scan.end.entryCount, 2u);
  auto entries = ParseZipDirectory(
      std::string_view(zip).substr(scan.end.directoryOffset, scan.end.directorySize), scan.end);
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[0].name, "a.txt");
  EXPECT_EQ((*entries)[0].crc, testzip::Crc32(std::string(5000, 'a')));
  EXPECT_EQ((*entries)[0].uncompressedSize, 5000u);
  EXPECT_EQ((*entries)[0].localHeaderOffset, 0u);
  EXPECT_EQ((*entries)[1].name, "dir/b.bin");
  EXPECT_EQ((*entries)[1].localHeaderOffset, testzip::FindSignature(zip, testzip::kLocalHeader, 1));
}

TEST(ZipDirectory, ACommentHoldingTheSignatureDoesNotMislead) {
  std::string zip = testzip::Build({{"a.txt", "a"}});
  std::string comment = std::string("PK\x05\x06", 4) + std::string(30, 'x');
  testzip::Put16(zip, zip.size() - 2, static_cast<std::uint16_t>(comment.size()));
  zip += comment;
  ZipEndScan scan = FindZipEnd(zip, 0);
  ASSERT_EQ(scan.problem, ZipEndProblem::None);
  EXPECT_EQ(scan.end.entryCount, 1u);
}

TEST(ZipDirectory, Zip64MultiDiskAndMisplacedDirectoriesAreRefused) {
  std::string zip = testzip::Build({{"a.txt", "a"}});
  std::size_t end = testzip::FindSignature(zip, kEndRecord);
  std::string zip64 = zip;
  testzip::Put32(zip64, end + 16, 0xFFFFFFFF);
  EXPECT_EQ(FindZipEnd(zip64, 0).problem, ZipEndProblem::Zip64);
  std::string multiDisk = zip;
  testzip::Put16(multiDisk, end + 4, 1);
  EXPECT_EQ(FindZipEnd(multiDisk, 0).problem, ZipEndProblem::MultiDisk);
  // Bytes before the archive move every offset the directory names.
  EXPECT_EQ(FindZipEnd("stub" + zip, 0).problem, ZipEndProblem::Misplaced);
  EXPECT_EQ(FindZipEnd(zip.substr(0, zip.size() - 1), 0).problem, ZipEndProblem::Missing);
}

TEST(ZipDirectory, ARecordCutShortOrPointingPastTheDirectoryIsRefused) {
  std::string zip = testzip::Build({{"a.txt", "a"}, {"b.txt", "b"}});
  ZipEndScan scan = FindZipEnd(zip, 0);
  ASSERT_EQ(scan.problem, ZipEndProblem::None);
  std::string directory = zip.substr(scan.end.directoryOffset, scan.end.directorySize);
  ZipEnd fewer = scan.end;
  fewer.directorySize -= 1;
  EXPECT_FALSE(
      ParseZipDirectory(std::string_view(directory).substr(0, fewer.directorySize), fewer));
  std::string pastDirectory = directory;
  testzip::Put32(pastDirectory, 42, static_cast<std::uint32_t>(scan.end.directoryOffset));
  EXPECT_FALSE(ParseZipDirectory(pastDirectory, scan.end));
  ZipEnd moreEntries = scan.end;
  moreEntries.entryCount = 3;
  EXPECT_FALSE(ParseZipDirectory(directory, moreEntries));
}

}  // namespace
