#include "files/trust_record.h"

#include <gtest/gtest.h>

#include "files/utc_time.h"
#include "minisign_signer.h"
#include "platform/archive_files.h"
#include "temp_dir.h"

namespace {

TEST(UtcTime, ReadsAndWritesTheManifestsForm) {
  EXPECT_EQ(ParseUtcTime("1970-01-01T00:00:00Z"), 0);
  EXPECT_EQ(ParseUtcTime("2024-02-29T23:59:59Z"), 1709251199);
  EXPECT_EQ(FormatUtcTime(1709251199), "2024-02-29T23:59:59Z");
  EXPECT_EQ(FormatUtcTime(*ParseUtcTime("9999-12-31T23:59:59Z")), "9999-12-31T23:59:59Z");
  for (const char* bad : {"2023-02-29T00:00:00Z", "2024-13-01T00:00:00Z", "2024-01-01T24:00:00Z",
                          "2024-01-01T00:00:00", "2024-01-01 00:00:00Z", "1969-12-31T23:59:59Z",
                          "2024-01-01T00:00:00+08:00", "２０２4-01-01T00:00:00Z"}) {
    EXPECT_FALSE(ParseUtcTime(bad).has_value()) << bad;
  }
}

// Whatever is in the file either reads back as written or is unreadable:
// never a record that trusts more, or less, than the one written.
TEST(TrustRecord, ReadsBackWhatWasWrittenAndNothingTorn) {
  TempDir dir;
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  std::wstring path = dir.WideFile(L"trust.json");
  EXPECT_EQ(ReadTrustFile(*files, path).status, TrustFileStatus::Missing);
  TrustRecord record;
  record.version = 9007199254740992ULL;
  record.manifestSha256 = std::string(64, 'c');
  record.keys = {GenerateMinisignKeyPair()->publicKey, GenerateMinisignKeyPair()->publicKey};
  ASSERT_TRUE(WriteTrustFile(*files, path, record));
  TrustFileReading reading = ReadTrustFile(*files, path);
  ASSERT_EQ(reading.status, TrustFileStatus::Ok);
  EXPECT_EQ(FormatTrustRecord(reading.record), FormatTrustRecord(record));
  std::string text = FormatTrustRecord(record);
  for (std::size_t length = 0; length + 1 < text.size(); ++length) {
    EXPECT_FALSE(ParseTrustRecord(text.substr(0, length)).has_value()) << length;
  }
  std::string sha = "\"" + record.manifestSha256 + "\"";
  for (const std::string& bad : std::vector<std::string>{
           "[]", "{\"version\":7}", "{\"manifest_sha256\":" + sha + "}",
           "{\"version\":0,\"manifest_sha256\":" + sha + "}",
           "{\"version\":7,\"manifest_sha256\":\"c\"}", "{\"update_keys\":[\"RWQ\"]}"}) {
    EXPECT_FALSE(ParseTrustRecord(bad).has_value()) << bad;
  }
  EXPECT_EQ(FormatTrustRecord(*ParseTrustRecord("{}")), "{}\n");
}

}  // namespace
