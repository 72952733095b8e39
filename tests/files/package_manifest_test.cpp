#include "files/package_manifest.h"

#include <gtest/gtest.h>

namespace {

TEST(PackageManifest, ReadsValuesInAnyCaseAndDecodesEscapes) {
  PackageManifest manifest =
      ParsePackageManifest(R"({"CLIENT_URL":"http://h/c.zip","Exe_Path":"bin\\game.exe","x":[1]})");
  ASSERT_TRUE(manifest.IsUsable());
  EXPECT_STREQ(manifest.clientUrl, "http://h/c.zip");
  EXPECT_STREQ(manifest.exePath, "bin\\game.exe");
}

TEST(PackageManifest, UnicodeEscapeBecomesUtf8Bytes) {
  PackageManifest manifest = ParsePackageManifest(R"({"client_url":"a","exe_path":"\u6e38.exe"})");
  EXPECT_STREQ(manifest.exePath, "\xE6\xB8\xB8.exe");
}

TEST(PackageManifest, UnusableWithoutBothStrings) {
  EXPECT_FALSE(ParsePackageManifest(R"({"client_url":"a"})").IsUsable());
  EXPECT_FALSE(ParsePackageManifest(R"({"client_url":"a","exe_path":true})").IsUsable());
  EXPECT_FALSE(ParsePackageManifest("<html>not found</html>").IsUsable());
  EXPECT_FALSE(ParsePackageManifest("").IsUsable());
}

TEST(PackageManifest, ValuesOfAnArrayRootAreNotTaken) {
  PackageManifest manifest = ParsePackageManifest(R"([{"client_url":"a","exe_path":"b"}])");
  EXPECT_EQ(manifest.clientUrl, nullptr);
  EXPECT_EQ(manifest.exePath, nullptr);
}

TEST(PackageManifest, FilesWithASizeThatIsNoByteCountAreNotListed) {
  const std::string head =
      R"({"client_url":"a","exe_path":"b","files":[{"name":"f","sha256":"ab","size":)";
  PackageManifest largest = ParsePackageManifest(head + "9007199254740992}]}");
  ASSERT_TRUE(largest.files.has_value());
  EXPECT_EQ(largest.files->front().size, 9007199254740992u);
  for (const char* size : {"58e30", "1e999", "-1", "2.5", "18446744073709551616"}) {
    EXPECT_FALSE(ParsePackageManifest(head + size + "}]}").files.has_value()) << size;
  }
}

TEST(PackageManifest, NamesTheChunkIndexBySizeAndSha256) {
  const std::string head =
      R"({"client_url":"a","exe_path":"b","chunks_sha256":"ab","chunks_size":)";
  PackageManifest named = ParsePackageManifest(head + "4096}");
  EXPECT_EQ(named.chunksSize, std::optional<std::uint64_t>(4096));
  EXPECT_STREQ(named.chunksSha256, "ab");
  EXPECT_FALSE(ParsePackageManifest(head + "-1}").chunksSize.has_value());
  EXPECT_FALSE(ParsePackageManifest(head + "\"4096\"}").chunksSize.has_value());
}

}  // namespace
