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

}  // namespace
