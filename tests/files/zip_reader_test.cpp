#include <gtest/gtest.h>

#include "archive_fixture.h"

namespace {

using testzip::Entry;

constexpr platform::FileTime kUnixEpoch = 116444736000000000ull;
constexpr platform::FileTime kSecond = 10000000;

ArchiveEntry Lookup(ZipReader* reader, int index, ArchiveResult expected = ArchiveOk) {
  ArchiveEntry entry;
  EXPECT_EQ(ZipReader::GetEntry(reader, index, &entry), expected) << index;
  return entry;
}

std::string Html() {
  return "<html><body>502 Bad Gateway</body></html>\n";
}

TEST_F(ArchiveTest, OpenRefusesWhatIsNoUsableArchive) {
  EXPECT_FALSE(ZipReader::Open(*files_, dir_.WideFile(L"missing.zip")));
  EXPECT_FALSE(OpenBytes(Html()));
  EXPECT_FALSE(OpenBytes(""));
  std::string whole = testzip::Build({{"a.txt", std::string(5000, 'a')}, {"b.txt", "b"}});
  EXPECT_FALSE(OpenBytes(whole.substr(0, whole.size() / 2)));
  EXPECT_FALSE(OpenBytes(whole.substr(0, whole.size() - 22)));
  EXPECT_TRUE(OpenBytes(whole));
}

TEST_F(ArchiveTest, OpenRefusesAMultiDiskSet) {
  std::string archive = testzip::Build({{"a.txt", "a"}});
  std::size_t end = testzip::FindSignature(archive, 0x06054b50);
  testzip::Put16(archive, end + 4, 1);
  EXPECT_FALSE(OpenBytes(archive));
}

TEST_F(ArchiveTest, NoReaderGivesArgumentErrors) {
  ArchiveEntry entry;
  EXPECT_EQ(ZipReader::SetTargetDirectory(nullptr, L"x"), ArchiveArgumentError);
  EXPECT_EQ(ZipReader::GetEntry(nullptr, -1, &entry), ArchiveArgumentError);
  EXPECT_EQ(ZipReader::ExtractEntry(nullptr, 0, L"x"), ArchiveArgumentError);
  EXPECT_EQ(ZipReader::Close(nullptr), ArchiveArgumentError);
}

TEST_F(ArchiveTest, IndexMinusOneCountsAndKeepsThePosition) {
  ZipReaderHandle reader = OpenEntries({{"a", "1"}, {"b", "22"}, {"c", "333"}});
  ASSERT_TRUE(reader);
  EXPECT_EQ(Lookup(reader.get(), 1).uncompressedSize, 2u);
  ArchiveEntry count;
  count.attributes = 99;
  count.writeTime = 99;
  EXPECT_EQ(ZipReader::GetEntry(reader.get(), -1, &count), ArchiveOk);
  EXPECT_EQ(count.index, 3);
  EXPECT_EQ(count.name[0], L'\0');
  EXPECT_EQ(count.attributes, 0u);
  EXPECT_EQ(count.writeTime, 0u);
  EXPECT_EQ(count.compressedSize + count.uncompressedSize, 0u);
  EXPECT_EQ(Lookup(reader.get(), 2).uncompressedSize, 3u);
}

TEST_F(ArchiveTest, IndexesOutOfRangeLeaveTheRecordAlone) {
  ZipReaderHandle reader = OpenEntries({{"a", "1"}});
  ASSERT_TRUE(reader);
  ArchiveEntry entry;
  entry.index = 42;
  EXPECT_EQ(ZipReader::GetEntry(reader.get(), 1, &entry), ArchiveArgumentError);
  EXPECT_EQ(ZipReader::GetEntry(reader.get(), -2, &entry), ArchiveArgumentError);
  EXPECT_EQ(entry.index, 42);
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 1, L"x"), ArchiveArgumentError);
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), -1, L"x"), ArchiveArgumentError);
}

TEST_F(ArchiveTest, EntriesComeRightInAnyOrder) {
  ZipReaderHandle reader = OpenEntries({{"zero", "0"}, {"one", "11"}, {"two", "222"}});
  ASSERT_TRUE(reader);
  for (int index : {2, 0, 1, 1, 2, 0}) {
    ArchiveEntry entry = Lookup(reader.get(), index);
    EXPECT_EQ(entry.index, index);
    EXPECT_EQ(entry.uncompressedSize, static_cast<std::uint32_t>(index + 1));
  }
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 1).name), L"one");
}

TEST_F(ArchiveTest, NamesAreCleaned) {
  ZipReaderHandle reader = OpenEntries(
      {{"D:\\game\\data.bin", "x"}, {"/abs/x.txt", "x"}, {"a/b/../c.txt", "x"}, {"../../up", "x"}});
  ASSERT_TRUE(reader);
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 0).name), L"game\\data.bin");
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 1).name), L"abs/x.txt");
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 2).name), L"c.txt");
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 3).name), L"up");
}

TEST_F(ArchiveTest, ChineseUtf8NamesWithOrWithoutTheLanguageFlag) {
  const std::string name = "\xE6\xB8\xB8\xE6\x88\x8F/\xE5\xAE\xA2\xE6\x88\xB7\xE7\xAB\xAF.exe";
  Entry flagged{name, "x"};
  flagged.flags = testzip::kLanguageEncodingFlag;
  ZipReaderHandle reader = OpenEntries({flagged, {name, "x"}, {"caf\xE9.txt", "x"}});
  ASSERT_TRUE(reader);
  const std::wstring expected = L"\u6E38\u620F/\u5BA2\u6237\u7AEF.exe";
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 0).name), expected);
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 1).name), expected);
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 2).name), L"caf\xFFFD.txt");
}

TEST_F(ArchiveTest, NamesOfTheBufferSizeOrLongerAreRefused) {
  ZipReaderHandle reader = OpenEntries(
      {{std::string(kArchivePathChars - 1, 'n'), "x"}, {std::string(kArchivePathChars, 'n'), "x"}});
  ASSERT_TRUE(reader);
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 0).name).size(), kArchivePathChars - 1);
  Lookup(reader.get(), 1, ArchiveHeaderError);
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 1, L"x"), ArchiveHeaderError);
}

TEST_F(ArchiveTest, AttributesDependOnTheHostSystem) {
  Entry dosFile{"dos.txt", "x"};
  dosFile.externalAttributes = 0x27;  // read-only, hidden, system, archive
  Entry dosDirectory{"dosdir/", ""};
  dosDirectory.externalAttributes = 0x10;
  Entry unixFile{"unix.txt", "x"};
  unixFile.versionMadeBy = testzip::kMadeOnUnix;
  unixFile.externalAttributes = testzip::UnixAttributes(0100644);
  Entry unixReadOnly = unixFile;
  unixReadOnly.name = "ro.txt";
  unixReadOnly.externalAttributes = testzip::UnixAttributes(0100444);
  Entry unixDirectory{"unixdir/", ""};
  unixDirectory.versionMadeBy = testzip::kMadeOnUnix;
  unixDirectory.externalAttributes = testzip::UnixAttributes(040755);
  Entry ntfsFile = dosFile;
  ntfsFile.versionMadeBy = 0x0B14;
  Entry otherHostDosBits = dosFile;
  otherHostDosBits.versionMadeBy = 0x0A14;  // TOPS-20: bits read as a Unix mode

  ZipReaderHandle reader = OpenEntries(
      {dosFile, dosDirectory, unixFile, unixReadOnly, unixDirectory, ntfsFile, otherHostDosBits});
  ASSERT_TRUE(reader);
  EXPECT_EQ(Lookup(reader.get(), 0).attributes, 0x27u);
  EXPECT_EQ(Lookup(reader.get(), 1).attributes, 0x10u);
  EXPECT_EQ(Lookup(reader.get(), 2).attributes, 0x20u);
  EXPECT_EQ(Lookup(reader.get(), 3).attributes, 0x21u);
  EXPECT_EQ(Lookup(reader.get(), 4).attributes, 0x30u);
  EXPECT_EQ(Lookup(reader.get(), 5).attributes, 0x27u);
  EXPECT_EQ(Lookup(reader.get(), 6).attributes, 0x21u);
}

TEST_F(ArchiveTest, SizesComeFromTheCentralDirectory) {
  Entry stored{"s", std::string(1000, 's')};
  stored.method = 0;
  ZipReaderHandle reader = OpenEntries({stored, {"d", std::string(1000, 'd')}});
  ASSERT_TRUE(reader);
  ArchiveEntry s = Lookup(reader.get(), 0);
  EXPECT_EQ(s.compressedSize, 1000u);
  EXPECT_EQ(s.uncompressedSize, 1000u);
  ArchiveEntry d = Lookup(reader.get(), 1);
  EXPECT_LT(d.compressedSize, 100u);
  EXPECT_EQ(d.uncompressedSize, 1000u);
}

TEST_F(ArchiveTest, DosTimesAreLocalTimes) {
  Entry early{"a", "x"};
  early.dosDateTime = testzip::DosDateTime(2021, 1, 10, 10, 0, 0);
  Entry later = early;
  later.name = "b";
  later.dosDateTime = testzip::DosDateTime(2021, 1, 10, 10, 0, 58);
  ZipReaderHandle reader = OpenEntries({early, later});
  ASSERT_TRUE(reader);
  ArchiveEntry a = Lookup(reader.get(), 0);
  ArchiveEntry b = Lookup(reader.get(), 1);
  EXPECT_EQ(b.writeTime - a.writeTime, 58 * kSecond);
  EXPECT_EQ(a.accessTime, a.writeTime);
  EXPECT_EQ(a.creationTime, a.writeTime);
  // 2021-01-10 10:00 UTC, give or take the widest time zone offsets.
  const platform::FileTime utc = kUnixEpoch + 1610272800ull * kSecond;
  EXPECT_LE(a.writeTime, utc + 12 * 3600 * kSecond);
  EXPECT_GE(a.writeTime, utc - 14 * 3600 * kSecond);
}

TEST_F(ArchiveTest, InvalidDosTimesGiveTheDosEpochInUtc) {
  Entry zero{"a", "x"};
  zero.dosDateTime = 0;
  Entry badMonth{"b", "x"};
  badMonth.dosDateTime = testzip::DosDateTime(2021, 15, 1, 0, 0, 0);
  ZipReaderHandle reader = OpenEntries({zero, badMonth});
  ASSERT_TRUE(reader);
  for (int index : {0, 1}) {
    ArchiveEntry entry = Lookup(reader.get(), index);
    EXPECT_EQ(entry.writeTime, 119600064000000000ull);
    EXPECT_EQ(entry.accessTime, 119600064000000000ull);
    EXPECT_EQ(entry.creationTime, 119600064000000000ull);
  }
}

TEST_F(ArchiveTest, UtBlocksReplaceTheDosTimes) {
  Entry writeOnly{"w", "x"};
  writeOnly.localExtra = testzip::UtBlock(1, {1600000000});
  Entry afterBigBlock{"big", "x"};
  afterBigBlock.localExtra =
      testzip::ExtraBlock(0x7875, std::string(300, '\0')) + testzip::UtBlock(7, {100, 200, 300});
  ZipReaderHandle reader = OpenEntries({writeOnly, afterBigBlock, {"plain", "x"}});
  ASSERT_TRUE(reader);
  ArchiveEntry w = Lookup(reader.get(), 0);
  ArchiveEntry plain = Lookup(reader.get(), 2);
  EXPECT_EQ(w.writeTime, kUnixEpoch + 1600000000ull * kSecond);
  EXPECT_EQ(w.accessTime, plain.writeTime);
  EXPECT_EQ(w.creationTime, plain.writeTime);
  ArchiveEntry big = Lookup(reader.get(), 1);
  EXPECT_EQ(big.writeTime, kUnixEpoch + 100 * kSecond);
  EXPECT_EQ(big.accessTime, kUnixEpoch + 200 * kSecond);
  EXPECT_EQ(big.creationTime, kUnixEpoch + 300 * kSecond);
}

// A self-extractor's program before the archive: every offset of the
// records is relative to the archive, the local extra field's too.
TEST_F(ArchiveTest, BytesBeforeTheArchiveShiftEveryOffset) {
  Entry stamped{"stamped.txt", "stamped data"};
  stamped.localExtra = testzip::UtBlock(1, {1600000000});
  ZipReaderHandle reader = OpenInto(std::string(1000, 'P') + testzip::Build({stamped}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(Lookup(reader.get(), 0).writeTime, kUnixEpoch + 1600000000ull * kSecond);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveOk);
  EXPECT_EQ(ReadOut(L"stamped.txt"), stamped.data);
}

TEST_F(ArchiveTest, MalformedLocalHeadersAreHeaderErrors) {
  std::string archive = testzip::Build({{"a.txt", "aaaa"}, {"b.txt", "bbbb"}, {"c.txt", "cccc"}});
  std::size_t second = testzip::FindSignature(archive, testzip::kLocalHeader, 1);
  std::size_t third = testzip::FindSignature(archive, testzip::kLocalHeader, 2);
  testzip::Put32(archive, second, 0x12345678);
  testzip::Put16(archive, third + 8, 0);  // method disagrees with the central record
  ZipReaderHandle reader = OpenBytes(archive);
  ASSERT_TRUE(reader);
  Lookup(reader.get(), 0);
  Lookup(reader.get(), 1, ArchiveHeaderError);
  Lookup(reader.get(), 2, ArchiveHeaderError);
}

TEST_F(ArchiveTest, MethodsOtherThanStoredAndDeflatedAreHeaderErrors) {
  std::string archive = testzip::Build({{"a.txt", "aaaa"}});
  testzip::Put16(archive, 8, 12);  // bzip2
  testzip::Put16(archive, testzip::FindSignature(archive, testzip::kCentralHeader) + 10, 12);
  ZipReaderHandle reader = OpenBytes(archive);
  ASSERT_TRUE(reader);
  Lookup(reader.get(), 0, ArchiveHeaderError);
}

TEST_F(ArchiveTest, UnreachableLocalExtraFieldIsAReadError) {
  std::string archive = testzip::Build({{"a.txt", "aaaa"}});
  testzip::Put16(archive, 28, 0xFFFF);
  ZipReaderHandle reader = OpenBytes(archive);
  ASSERT_TRUE(reader);
  Lookup(reader.get(), 0, ArchiveReadError);
}

TEST_F(ArchiveTest, UnreadableCentralRecordFailsWithoutLooping) {
  std::string archive = testzip::Build({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  testzip::Put32(archive, testzip::FindSignature(archive, testzip::kCentralHeader, 1), 0);
  ZipReaderHandle reader = OpenBytes(archive);
  ASSERT_TRUE(reader);
  Lookup(reader.get(), 0);
  Lookup(reader.get(), 2, ArchiveFileError);
  Lookup(reader.get(), 1, ArchiveFileError);
  EXPECT_EQ(std::wstring(Lookup(reader.get(), 0).name), L"a");
  Lookup(reader.get(), 2, ArchiveFileError);
}

TEST_F(ArchiveTest, UnreadableFirstCentralRecordFails) {
  std::string archive = testzip::Build({{"a", "1"}, {"b", "2"}});
  testzip::Put32(archive, testzip::FindSignature(archive, testzip::kCentralHeader), 0);
  ZipReaderHandle reader = OpenBytes(archive);
  ASSERT_TRUE(reader);
  Lookup(reader.get(), 0, ArchiveFileError);
  Lookup(reader.get(), 1, ArchiveFileError);
}

}  // namespace
