#include "files/package_extraction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "temp_dir.h"
#include "zip_builder.h"

namespace {

struct Report {
  int index;
  std::wstring name;
  ArchiveResult result;
};

class PackageExtraction : public ::testing::Test {
 protected:
  ExtractionSummary Run(const std::string& archive, std::wstring target = L"") {
    dir_.Write(L"GameClient.zip", archive);
    if (target.empty()) target = dir_.WideFile(L"GameClient");
    return ExtractAllEntries(*files_, dir_.WideFile(L"GameClient.zip"), target,
                             [this](int index, const ArchiveEntry& entry, ArchiveResult result) {
                               reports_.push_back({index, entry.name, result});
                             });
  }

  TempDir dir_;
  std::unique_ptr<platform::ArchiveFiles> files_ = platform::MakeSystemArchiveFiles();
  std::vector<Report> reports_;
};

TEST_F(PackageExtraction, ExtractsEveryEntryAndReportsEach) {
  testzip::Entry directory{"bin/", ""};
  directory.externalAttributes = 0x10;
  ExtractionSummary summary =
      Run(testzip::Build({directory, {"bin/client.exe", "MZ"}, {"../readme.txt", "hello"}}));
  EXPECT_TRUE(summary.AllOk());
  EXPECT_EQ(summary.entryCount, 3);
  ASSERT_EQ(reports_.size(), 3u);
  EXPECT_EQ(reports_[1].index, 1);
  EXPECT_EQ(reports_[1].name, L"bin/client.exe");
  EXPECT_EQ(reports_[2].name, L"readme.txt");
  EXPECT_EQ(dir_.Read(L"GameClient/bin/client.exe"), "MZ");
  EXPECT_EQ(dir_.Read(L"GameClient/readme.txt"), "hello");
}

TEST_F(PackageExtraction, AFailedEntryDoesNotStopTheOthers) {
  std::string archive = testzip::Build({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  testzip::Put32(archive, testzip::FindSignature(archive, testzip::kLocalHeader, 1), 0);
  ExtractionSummary summary = Run(archive);
  EXPECT_FALSE(summary.AllOk());
  EXPECT_EQ(summary.failedCount, 1);
  ASSERT_EQ(reports_.size(), 3u);
  EXPECT_EQ(reports_[1].result, ArchiveHeaderError);
  EXPECT_EQ(reports_[1].name, L"");
  EXPECT_EQ(reports_[2].result, ArchiveOk);
  EXPECT_EQ(dir_.Read(L"GameClient/c"), "3");
}

// Entries are written on several threads: reports still come in index
// order, a name given twice ends with its later entry, and a directory
// entry named like an earlier file still finds that file there.
TEST_F(PackageExtraction, WritesOnThreadsAsIfEntryByEntry) {
  std::vector<testzip::Entry> entries;
  entries.push_back({"twice.bin", std::string(3 << 20, 'a')});
  entries.push_back({"clash", "a file first"});
  testzip::Entry clash{"clash/", ""};
  clash.externalAttributes = 0x10;
  entries.push_back(clash);
  for (int i = 0; i < 200; ++i) entries.push_back({"many/" + std::to_string(i), std::to_string(i)});
  entries.push_back({"twice.bin", "later"});
  entries.push_back({"clash/inside", "x"});
  ExtractionSummary summary = Run(testzip::Build(entries));
  EXPECT_EQ(summary.failedCount, 1);
  ASSERT_EQ(reports_.size(), entries.size());
  for (std::size_t i = 0; i < reports_.size(); ++i) EXPECT_EQ(reports_[i].index, int(i));
  EXPECT_EQ(reports_.back().result, ArchiveFileError);
  EXPECT_EQ(dir_.Read(L"GameClient/twice.bin"), "later");
  EXPECT_EQ(dir_.Read(L"GameClient/clash"), "a file first");
  EXPECT_EQ(dir_.Read(L"GameClient/many/199"), "199");
}

TEST_F(PackageExtraction, AnErrorPageInsteadOfAnArchiveExtractsNothing) {
  ExtractionSummary summary = Run("<html>404</html>");
  EXPECT_EQ(summary.setup, ArchiveFileError);
  EXPECT_FALSE(summary.AllOk());
  EXPECT_TRUE(reports_.empty());
}

TEST_F(PackageExtraction, ATooLongTargetIsRefusedRatherThanUsingTheCurrentDirectory) {
  ExtractionSummary summary =
      Run(testzip::Build({{"a", "1"}}), dir_.Wide() + std::wstring(platform::kMaxPathChars, L'x'));
  EXPECT_EQ(summary.setup, ArchiveArgumentError);
  EXPECT_TRUE(reports_.empty());
}

}  // namespace
