#include <gtest/gtest.h>

#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

#include "archive_fixture.h"
#include "fakes/failing_archive_files.h"
#include "file_facts.h"
#include "files/little_endian.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace {

namespace fs = std::filesystem;
using testzip::Entry;

constexpr platform::FileTime kUnixEpoch = 116444736000000000ull;
constexpr platform::FileTime kSecond = 10000000;

std::string Noise(std::size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() % 7 == 0 ? random() : 'a' + random() % 3);
  return bytes;
}

Entry Stored(std::string name, std::string data) {
  Entry entry{std::move(name), std::move(data)};
  entry.method = 0;
  return entry;
}

TEST_F(ArchiveTest, ExtractsStoredAndDeflatedEntriesAcrossManyBuffers) {
  const std::string big = Noise(100000);
  ZipReaderHandle reader =
      OpenInto(testzip::Build({Stored("stored.bin", big), {"deflated.bin", big}, {"small", "hi"}}));
  ASSERT_TRUE(reader);
  for (int index = 0; index < 3; ++index) EXPECT_EQ(Extract(reader.get(), index), ArchiveOk);
  EXPECT_EQ(ReadOut(L"stored.bin"), big);
  EXPECT_EQ(ReadOut(L"deflated.bin"), big);
  EXPECT_EQ(ReadOut(L"small"), "hi");
}

TEST_F(ArchiveTest, MissingDirectoriesAreCreatedParentsFirst) {
  ZipReaderHandle reader = OpenInto(testzip::Build({{"dir1/dir2/f.txt", "deep"}}));
  ASSERT_TRUE(reader);
  EXPECT_FALSE(fs::exists(TargetPath()));
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveOk);
  EXPECT_TRUE(fs::is_directory(TargetPath() / "dir1" / "dir2"));
  EXPECT_EQ(ReadOut(L"dir1/dir2/f.txt"), "deep");
}

TEST_F(ArchiveTest, DirectoryEntriesBecomeDirectories) {
  Entry unixDirectory{"bin/", ""};
  unixDirectory.versionMadeBy = testzip::kMadeOnUnix;
  unixDirectory.externalAttributes = testzip::UnixAttributes(040755);
  Entry dosDirectory{"data\\maps\\", ""};
  dosDirectory.externalAttributes = 0x10;
  ZipReaderHandle reader = OpenInto(testzip::Build({unixDirectory, dosDirectory}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveOk);
  EXPECT_EQ(Extract(reader.get(), 1), ArchiveOk);
  EXPECT_TRUE(fs::is_directory(TargetPath() / "bin"));
  EXPECT_TRUE(fs::is_directory(TargetPath() / "data" / "maps"));
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 0, L""), ArchiveOk);
}

// As Java's zip writers and many build tools store them.
TEST_F(ArchiveTest, NamesEndingInASeparatorAreDirectoriesWhateverTheirAttributes) {
  Entry dosNameOnly{"bin/", ""};
  Entry unixNameOnly{"lib\\", ""};
  unixNameOnly.versionMadeBy = testzip::kMadeOnUnix;
  ZipReaderHandle reader =
      OpenInto(testzip::Build({dosNameOnly, unixNameOnly, {"bin/game", "MZ"}}));
  ASSERT_TRUE(reader);
  for (int index = 0; index < 3; ++index) EXPECT_EQ(Extract(reader.get(), index), ArchiveOk);
  ArchiveEntry entry;
  ASSERT_EQ(ZipReader::GetEntry(reader.get(), 0, &entry), ArchiveOk);
  EXPECT_EQ(entry.attributes & kArchiveDirectory, kArchiveDirectory);
  EXPECT_TRUE(fs::is_directory(TargetPath() / "bin"));
  EXPECT_TRUE(fs::is_directory(TargetPath() / "lib"));
  EXPECT_EQ(ReadOut(L"bin/game"), "MZ");
}

// Twenty central records naming one local header: each would unpack the
// same deflate data again. The first looked up keeps it.
TEST_F(ArchiveTest, EntriesSharingDataAreRefused) {
  std::vector<Entry> entries;
  for (int index = 0; index < 20; ++index) {
    entries.push_back({"f" + std::to_string(100 + index) + ".bin", std::string(1000000, '\0')});
  }
  std::string archive = testzip::Build(entries);
  for (int index = 0; index < 20; ++index) {
    testzip::Put32(archive, testzip::FindSignature(archive, testzip::kCentralHeader, index) + 42,
                   0);
  }
  ZipReaderHandle reader = OpenInto(archive);
  ASSERT_TRUE(reader);
  ArchiveEntry entry;
  ASSERT_EQ(ZipReader::GetEntry(reader.get(), 0, &entry), ArchiveOk);
  for (int index = 1; index < 20; ++index) {
    EXPECT_EQ(ZipReader::GetEntry(reader.get(), index, &entry), ArchiveHeaderError) << index;
    EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), index, L"f.bin"), ArchiveHeaderError) << index;
  }
  EXPECT_FALSE(fs::exists(TargetPath() / "f.bin"));
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 0, L"f.bin"), ArchiveOk);
}

TEST_F(ArchiveTest, TheUnpackedSizeIsTheSumOfTheDeclaredSizes) {
  ZipReaderHandle reader =
      OpenInto(testzip::Build({{"a", std::string(70000, 'a')}, {"d/", ""}, {"b", "bb"}}));
  ASSERT_TRUE(reader);
  std::uint64_t bytes = 0;
  ASSERT_EQ(ZipReader::GetUnpackedSize(reader.get(), &bytes), ArchiveOk);
  EXPECT_EQ(bytes, 70002u);
  EXPECT_EQ(ZipReader::GetUnpackedSize(nullptr, &bytes), ArchiveArgumentError);
}

TEST_F(ArchiveTest, NoEntryLandsOutsideTheTargetDirectory) {
  std::vector<Entry> entries;
  for (const char* name :
       {"../up1", "..\\up2", "../../up3", "a/../../up4", "./../up5", "C:..\\up6", "/../up7", "..",
        "../", "x/../..", "..\\..\\dir\\up8", "/etc/up9", "\\\\server\\share\\up10", "D:/up11"}) {
    entries.push_back({name, "x"});
  }
  Entry directory{"../../escape/", ""};
  directory.externalAttributes = 0x10;
  entries.push_back(directory);
  ZipReaderHandle reader = OpenInto(testzip::Build(entries));
  ASSERT_TRUE(reader);
  for (int index = 0; index < static_cast<int>(entries.size()); ++index) {
    Extract(reader.get(), index);
  }
  for (const auto& item : fs::recursive_directory_iterator(dir_.Path())) {
    fs::path relative = fs::relative(item.path(), dir_.Path());
    bool inside = relative == "package.zip" || *relative.begin() == "out";
    EXPECT_TRUE(inside) << relative.string();
  }
  EXPECT_EQ(ReadOut(L"up1"), "x");
  EXPECT_EQ(ReadOut(L"dir/up8"), "x");
  EXPECT_EQ(ReadOut(L"etc/up9"), "x");
  EXPECT_TRUE(fs::is_directory(TargetPath() / "escape"));
}

TEST_F(ArchiveTest, RelativeTargetNamesThatClimbAreRefused) {
  ZipReaderHandle reader = OpenInto(testzip::Build({{"f", "x"}}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 0, L"a/../../x"), ArchiveArgumentError);
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 0, L"..\\x"), ArchiveArgumentError);
  EXPECT_FALSE(fs::exists(TargetPath()));
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 0, L"a/../x"), ArchiveOk);
  EXPECT_EQ(ReadOut(L"x"), "x");
}

TEST_F(ArchiveTest, AbsoluteTargetNamesIgnoreTheTargetDirectory) {
  ZipReaderHandle reader = OpenInto(testzip::Build({{"f", "abs"}}));
  ASSERT_TRUE(reader);
  std::wstring elsewhere = dir_.WideFile(L"elsewhere/f.txt");
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 0, elsewhere), ArchiveOk);
  EXPECT_EQ(dir_.Read(L"elsewhere/f.txt"), "abs");
  EXPECT_FALSE(fs::exists(TargetPath()));
}

TEST_F(ArchiveTest, EmptyEntriesAreCreatedWithTheirTimes) {
  Entry stored = Stored("empty-stored", "");
  stored.localExtra = testzip::UtBlock(1, {1500000000});
  Entry deflated{"empty-deflated", ""};
  deflated.localExtra = testzip::UtBlock(1, {1500000000});
  ZipReaderHandle reader = OpenInto(testzip::Build({stored, deflated}));
  ASSERT_TRUE(reader);
  for (int index : {0, 1}) EXPECT_EQ(Extract(reader.get(), index), ArchiveOk);
  for (const char* name : {"empty-stored", "empty-deflated"}) {
    EXPECT_EQ(fs::file_size(TargetPath() / name), 0u);
    auto facts = ReadFileFacts(TargetPath() / name);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->writeTime, kUnixEpoch + 1500000000ull * kSecond);
  }
}

TEST_F(ArchiveTest, EmptyDeflatedEntryWithoutDeflateDataIsEmpty) {
  std::string archive = testzip::Build({Stored("empty", "")});
  testzip::Put16(archive, 8, 8);
  testzip::Put16(archive, testzip::FindSignature(archive, testzip::kCentralHeader) + 10, 8);
  ZipReaderHandle reader = OpenInto(archive);
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveOk);
  EXPECT_EQ(fs::file_size(TargetPath() / "empty"), 0u);
}

TEST_F(ArchiveTest, FilesGetTheEntryTimes) {
  Entry entry{"timed.txt", "t"};
  entry.localExtra = testzip::UtBlock(3, {1400000000, 1450000000});
  ZipReaderHandle reader = OpenInto(testzip::Build({entry}));
  ASSERT_TRUE(reader);
  ASSERT_EQ(Extract(reader.get(), 0), ArchiveOk);
  auto facts = ReadFileFacts(TargetPath() / "timed.txt");
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->writeTime, kUnixEpoch + 1400000000ull * kSecond);
  EXPECT_EQ(facts->accessTime, kUnixEpoch + 1450000000ull * kSecond);
}

TEST_F(ArchiveTest, ReadOnlyFilesOfAnEarlierInstallAreReplaced) {
  Entry readOnly{"locked.dat", "first"};
  readOnly.externalAttributes = 0x21;
  ZipReaderHandle first = OpenInto(testzip::Build({readOnly}));
  ASSERT_TRUE(first);
  ASSERT_EQ(Extract(first.get(), 0), ArchiveOk);
  auto facts = ReadFileFacts(TargetPath() / "locked.dat");
  ASSERT_TRUE(facts);
  EXPECT_TRUE(facts->readOnly);
  ZipReader::Close(std::move(first));
  readOnly.data = "second";
  ZipReaderHandle second = OpenInto(testzip::Build({readOnly}));
  ASSERT_TRUE(second);
  EXPECT_EQ(Extract(second.get(), 0), ArchiveOk);
  EXPECT_EQ(ReadOut(L"locked.dat"), "second");
  facts = ReadFileFacts(TargetPath() / "locked.dat");
  ASSERT_TRUE(facts);
  EXPECT_TRUE(facts->readOnly);
  MakeWritable(TargetPath() / "locked.dat");
}

TEST_F(ArchiveTest, ADirectoryInTheWayOfAFileIsAFileError) {
  fs::create_directories(TargetPath() / "taken");
  ZipReaderHandle reader = OpenInto(testzip::Build({{"taken", "x"}}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveFileError);
  EXPECT_TRUE(fs::is_directory(TargetPath() / "taken"));
}

#ifdef _WIN32
// Windows refuses CREATE_ALWAYS over a hidden file; Wine does not, so under
// Wine this passes either way.
TEST_F(ArchiveTest, HiddenFilesOfAnEarlierInstallAreReplaced) {
  fs::create_directories(TargetPath());
  dir_.Write(L"out/config.dat", "old");
  ASSERT_TRUE(::SetFileAttributesW((TargetPath() / "config.dat").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ZipReaderHandle reader = OpenInto(testzip::Build({{"config.dat", "new"}}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveOk);
  EXPECT_EQ(ReadOut(L"config.dat"), "new");
}
#else
TEST_F(ArchiveTest, AClientStillRunningKeepsItsExecutableWhileTheNewOneIsWritten) {
  fs::create_directories(TargetPath());
  fs::copy_file("/bin/sleep", TargetPath() / "client");
  std::string client = (TargetPath() / "client").string();
  char* arguments[] = {client.data(), const_cast<char*>("30"), nullptr};
  pid_t running = 0;
  ASSERT_EQ(::posix_spawn(&running, client.c_str(), nullptr, nullptr, arguments, environ), 0);
  Entry update{"client", "#!/bin/sh\necho new\n"};
  update.versionMadeBy = testzip::kMadeOnUnix;
  update.externalAttributes = testzip::UnixAttributes(0100755);
  ZipReaderHandle reader = OpenInto(testzip::Build({update}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveOk);
  EXPECT_EQ(ReadOut(L"client"), "#!/bin/sh\necho new\n");
  ::kill(running, SIGKILL);
  ::waitpid(running, nullptr, 0);
}

TEST_F(ArchiveTest, UnixModesKeepExecuteBitsAndDropWriteBitsOfReadOnlyEntries) {
  auto unix = [](std::string name, std::uint32_t mode) {
    Entry entry{std::move(name), "#!/bin/sh\n"};
    entry.versionMadeBy = testzip::kMadeOnUnix;
    entry.externalAttributes = testzip::UnixAttributes(mode);
    return entry;
  };
  ZipReaderHandle reader =
      OpenInto(testzip::Build({unix("client", 0100755), unix("data", 0100644),
                               unix("ro-exec", 0100555), unix("setuid", 0104755)}));
  ASSERT_TRUE(reader);
  for (int index = 0; index < 4; ++index) ASSERT_EQ(Extract(reader.get(), index), ArchiveOk);
  auto permissions = [&](const char* name) {
    return ReadFileFacts(TargetPath() / name)->permissions;
  };
  const std::uint32_t mask = 0777 & ~static_cast<std::uint32_t>(022);
  EXPECT_EQ(permissions("client") & mask, 0755u & mask);
  EXPECT_EQ(permissions("client") & 0111, 0111u);
  EXPECT_EQ(permissions("data") & 0111, 0u);
  EXPECT_EQ(permissions("ro-exec") & 0333, 0111u);
  EXPECT_EQ(permissions("setuid") & 07000, 0u);
  MakeWritable(TargetPath() / "ro-exec");
}
#endif

TEST_F(ArchiveTest, CrcMismatchIsADataErrorAndKeepsTheBytes) {
  std::string archive = testzip::Build({Stored("a.txt", "payload")});
  testzip::Put32(archive, 14, 0xDEADBEEF);
  testzip::Put32(archive, testzip::FindSignature(archive, testzip::kCentralHeader) + 16,
                 0xDEADBEEF);
  ZipReaderHandle reader = OpenInto(archive);
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveDataError);
  EXPECT_EQ(ReadOut(L"a.txt"), "payload");
}

TEST_F(ArchiveTest, CorruptDeflateDataIsADataError) {
  std::string archive = testzip::Build({{"a.txt", Noise(50000)}});
  archive[30 + 5] = '\xFF';  // a block of the reserved type
  ZipReaderHandle reader = OpenInto(archive);
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveDataError);
  EXPECT_TRUE(fs::exists(TargetPath() / "a.txt"));
}

// Entries this large are decoded through mappings of the archive and the
// output: intact ones end as any other, cut ones as the streaming path leaves
// them, not at the full size the mapping took.
TEST_F(ArchiveTest, LargeDeflatedEntriesEndAsStreamedOnes) {
  std::string big;
  for (int line = 0; big.size() < (17u << 20); ++line) big += "line " + std::to_string(line) + "\n";
  Entry intact{"intact.txt", big};
  intact.localExtra = testzip::UtBlock(1, {1600000000});
  std::string archive = testzip::Build({{"cut.txt", big}, intact});
  std::size_t central = testzip::FindSignature(archive, testzip::kCentralHeader);
  std::uint32_t halved = static_cast<std::uint32_t>(
      ReadLittleEndian(archive, static_cast<std::size_t>(central) + 20, 4) / 2);
  testzip::Put32(archive, 18, halved);
  testzip::Put32(archive, central + 20, halved);
  ZipReaderHandle reader = OpenInto(archive);
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveDataError);
  std::string cut = ReadOut(L"cut.txt");
  EXPECT_LT(cut.size(), big.size());
  EXPECT_EQ(cut, big.substr(0, cut.size()));
  ASSERT_EQ(Extract(reader.get(), 1), ArchiveOk);
  EXPECT_EQ(ReadOut(L"intact.txt"), big);
  EXPECT_EQ(ReadFileFacts(TargetPath() / "intact.txt")->writeTime,
            kUnixEpoch + 1600000000ull * kSecond);
}

TEST_F(ArchiveTest, MoreDataThanDeclaredIsADataError) {
  std::string archive = testzip::Build({{"a.txt", std::string(40000, 'z')}});
  testzip::Put32(archive, 22, 100);
  testzip::Put32(archive, testzip::FindSignature(archive, testzip::kCentralHeader) + 24, 100);
  ZipReaderHandle reader = OpenInto(archive);
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveDataError);
  EXPECT_EQ(ReadOut(L"a.txt"), std::string(100, 'z'));
}

TEST_F(ArchiveTest, FailedLookupInsideExtractionCreatesNothing) {
  std::string archive = testzip::Build({{"dir/a.txt", "a"}});
  testzip::Put32(archive, 0, 0x12345678);
  ZipReaderHandle reader = OpenInto(archive);
  ASSERT_TRUE(reader);
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 0, L"dir/a.txt"), ArchiveHeaderError);
  EXPECT_FALSE(fs::exists(TargetPath()));
}

TEST_F(ArchiveTest, TargetFileThatCannotBeCreatedIsAFileError) {
  ZipReaderHandle reader = OpenInto(testzip::Build({{"sub/a.txt", "a"}}));
  ASSERT_TRUE(reader);
  fs::create_directories(TargetPath() / "sub" / "a.txt");
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveFileError);
}

TEST_F(ArchiveTest, WriteFailuresAreWriteErrorsAndKeepWhatWasWritten) {
  FailingArchiveFiles fullDisk(16384);
  dir_.Write(L"big.zip", testzip::Build({{"big.bin", Noise(60000)}}));
  ZipReaderHandle reader = ZipReader::Open(fullDisk, dir_.WideFile(L"big.zip"));
  ASSERT_TRUE(reader);
  ZipReader::SetTargetDirectory(reader.get(), Target());
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveWriteError);
  EXPECT_EQ(fs::file_size(TargetPath() / "big.bin"), 16384u);
}

TEST_F(ArchiveTest, EncryptedEntriesWithTheEmptyPasswordExtract) {
  Entry deflated{"secret.txt", Noise(30000)};
  deflated.encrypted = true;
  Entry stored = Stored("secret.bin", "stored secret");
  stored.encrypted = true;
  ZipReaderHandle reader = OpenInto(testzip::Build({deflated, stored}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveOk);
  EXPECT_EQ(Extract(reader.get(), 1), ArchiveOk);
  EXPECT_EQ(ReadOut(L"secret.txt"), deflated.data);
  EXPECT_EQ(ReadOut(L"secret.bin"), "stored secret");
}

TEST_F(ArchiveTest, WrongCheckByteIsAPasswordErrorWithAnEmptyFile) {
  Entry entry{"secret.txt", "content"};
  entry.encrypted = true;
  entry.checkByte = static_cast<unsigned char>((testzip::Crc32(entry.data) >> 24) ^ 0xFF);
  ZipReaderHandle reader = OpenInto(testzip::Build({entry}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchivePasswordError);
  EXPECT_TRUE(fs::exists(TargetPath() / "secret.txt"));
  EXPECT_EQ(fs::file_size(TargetPath() / "secret.txt"), 0u);
}

TEST_F(ArchiveTest, StreamedEntriesWithDataDescriptorsExtract) {
  Entry deflated{"streamed.txt", Noise(40000)};
  Entry stored = Stored("stored.txt", "stored bytes");
  Entry encrypted{"secret.txt", "streamed secret"};
  encrypted.encrypted = true;
  ZipReaderHandle reader = OpenInto(testzip::BuildStreamed({deflated, stored, encrypted}));
  ASSERT_TRUE(reader);
  for (int index = 0; index < 3; ++index) EXPECT_EQ(Extract(reader.get(), index), ArchiveOk);
  EXPECT_EQ(ReadOut(L"streamed.txt"), deflated.data);
  EXPECT_EQ(ReadOut(L"stored.txt"), "stored bytes");
  EXPECT_EQ(ReadOut(L"secret.txt"), "streamed secret");
}

TEST_F(ArchiveTest, SizesGivenInAZip64BlockAreRead) {
  Entry entry = Stored("zip64.bin", Noise(40000));
  entry.zip64Sizes = {{40000, 40000}};
  ZipReaderHandle reader = OpenInto(testzip::BuildStreamed({entry}));
  ASSERT_TRUE(reader);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveOk);
  EXPECT_EQ(ReadOut(L"zip64.bin"), entry.data);
}

TEST_F(ArchiveTest, LocalCrcMustMatchUnlessADataDescriptorFollows) {
  std::string archive = testzip::Build({{"a.txt", "aaaa"}});
  testzip::Put32(archive, 14, 0);
  ZipReaderHandle reader = OpenBytes(archive);
  ASSERT_TRUE(reader);
  ArchiveEntry entry;
  EXPECT_EQ(ZipReader::GetEntry(reader.get(), 0, &entry), ArchiveHeaderError);
}

#ifndef _WIN32
// 260 characters is a Windows limit, not a Linux one: neither a name nor
// the target path it makes is held to it.
TEST_F(ArchiveTest, NamesAndTargetPathsPast260CharactersExtract) {
  std::string name;
  for (int level = 0; level < 5; ++level) name += std::string(60, 'd') + "/";
  name += "deep.txt";
  ZipReaderHandle reader = OpenInto(testzip::Build({{name, "deep"}}));
  ASSERT_TRUE(reader);
  ASSERT_EQ(name.size(), 313u);
  EXPECT_EQ(Extract(reader.get(), 0), ArchiveOk);
  EXPECT_EQ(ReadOut(platform::DecodeUtf8(name)), "deep");
}
#endif

TEST_F(ArchiveTest, PathsBeyondTheFixedLimitsFailCleanly) {
  ZipReaderHandle reader = OpenBytes(testzip::Build({{"f.txt", "x"}, {"d/", ""}}));
  ASSERT_TRUE(reader);
  std::wstring longDirectory = dir_.Wide() + std::wstring(platform::kMaxPathChars, L'd');
  EXPECT_EQ(ZipReader::SetTargetDirectory(reader.get(), longDirectory), ArchiveArgumentError);
  ASSERT_EQ(ZipReader::SetTargetDirectory(reader.get(), Target()), ArchiveOk);
  std::wstring longName(platform::kMaxPathChars - Target().size(), L'n');
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 0, L"sub/" + longName), ArchiveFileError);
  EXPECT_EQ(ZipReader::ExtractEntry(reader.get(), 1, longName + L"/"), ArchiveFileError);
  EXPECT_FALSE(fs::exists(TargetPath()));
}

}  // namespace
