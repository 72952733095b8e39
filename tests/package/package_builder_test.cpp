// Packages written by micro-pkg build, read back the way the launcher reads
// them.
#include "package_builder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "files/package_extraction.h"
#include "files/package_manifest.h"
#include "platform/archive_files.h"
#include "temp_dir.h"

namespace {

ArchiveItem Item(std::string name, std::string bytes, std::uint32_t mode, std::int64_t time) {
  ArchiveItem item;
  item.name = std::move(name);
  item.bytes = std::move(bytes);
  item.unixMode = mode;
  item.modifiedTime = time;
  return item;
}

TEST(PackageBuilder, ArchivesUnpackWithTheirNamesContentsModesAndTimes) {
  TempDir dir;
  std::vector<ArchiveItem> items = {
      Item("bin/", "", 040755, 1700000000),
      Item("bin/game", "#!/bin/sh\necho game\n", 0100755, 1700000000),
      Item("数据/地图 100%.dat", std::string(300000, 'm'), 0100644, 1600000000),
      Item("empty.txt", "", 0100600, 1650000000),
  };
  ASSERT_TRUE(WriteZipArchive(dir.Path() / "p.zip", items));

  auto files = platform::MakeSystemArchiveFiles();
  std::vector<std::wstring> names;
  ExtractionSummary summary = ExtractAllEntries(
      *files, dir.WideFile(L"p.zip"), dir.WideFile(L"out"),
      [&names](int, const ArchiveEntry& entry, ArchiveResult) { names.push_back(entry.name); });
  ASSERT_TRUE(summary.AllOk());
  EXPECT_EQ(summary.entryCount, 4);
  // Cleaned names keep the separator the archive stores.
  EXPECT_EQ(names[2], L"数据/地图 100%.dat");
  EXPECT_EQ(dir.Read(L"out/bin/game"), "#!/bin/sh\necho game\n");
  EXPECT_EQ(dir.Read(L"out/数据/地图 100%.dat"), std::string(300000, 'm'));
  EXPECT_EQ(dir.Read(L"out/empty.txt"), "");
#ifndef _WIN32
  struct stat info {};
  ASSERT_EQ(::stat((dir.Path() / "out/bin/game").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u);
  EXPECT_EQ(info.st_mtime, 1700000000);
  ASSERT_EQ(::stat((dir.Path() / "out/empty.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtime, 1650000000);
#endif
}

TEST(PackageBuilder, CollectsADirectoryInNameOrder) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "client/b/c");
  dir.Write(L"client/b/c/deep.txt", "deep");
  dir.Write(L"client/a.txt", "a");
  auto items = CollectDirectory(dir.Path() / "client");
  ASSERT_TRUE(items.has_value());
  std::vector<std::string> names;
  for (const auto& item : *items) names.push_back(item.name);
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b/", "b/c/", "b/c/deep.txt"}));
  EXPECT_TRUE((*items)[3].source.has_value());
  EXPECT_FALSE(CollectDirectory(dir.Path() / "missing").has_value());
}

TEST(PackageBuilder, AFailedArchiveLeavesNoFile) {
  TempDir dir;
  ArchiveItem unreadable;
  unreadable.name = "gone.bin";
  unreadable.source = dir.Path() / "does-not-exist";
  EXPECT_FALSE(WriteZipArchive(dir.Path() / "p.zip", {unreadable}));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "p.zip"));
  EXPECT_FALSE(WriteZipArchive(dir.Path() / "no/such/dir/p.zip", {}));
}

TEST(PackageBuilder, ManifestsReadBackWithTheirValues) {
  std::string text = ManifestText(
      "http://h/a \"b\".zip", "GameClient/bin/game.exe",
      PackageIdentity{
          300, 0xAB, std::string(64, 'e'), {{"bin/game.exe", 4, std::string(64, 'f')}}});
  PackageManifest manifest = ParsePackageManifest(text);
  ASSERT_TRUE(manifest.IsUsable());
  EXPECT_EQ(manifest.packageSize, 300.0);
  EXPECT_STREQ(manifest.packageSha256, std::string(64, 'e').c_str());
  ASSERT_TRUE(manifest.files.has_value());
  ASSERT_EQ(manifest.files->size(), 1u);
  EXPECT_EQ(manifest.files->front().name, "bin/game.exe");
  EXPECT_EQ(manifest.files->front().size, 4u);
  EXPECT_EQ(manifest.files->front().sha256, std::string(64, 'f'));
  EXPECT_STREQ(manifest.clientUrl, "http://h/a \"b\".zip");
  EXPECT_STREQ(manifest.exePath, "GameClient/bin/game.exe");
  EXPECT_NE(text.find("\"package_size\":\t300,"), std::string::npos) << text;
  EXPECT_NE(text.find("\"package_crc32\":\t\"000000ab\""), std::string::npos) << text;
}

TEST(PackageBuilder, ExecutablesLieInTheClientDirectoryTheLauncherUnpacksInto) {
  EXPECT_EQ(ManifestExePath("game"), "GameClient/game");
  EXPECT_EQ(ManifestExePath(std::filesystem::path("bin") / "game.exe"), "GameClient/bin/game.exe");
  EXPECT_EQ(ManifestExePath("./bin/../game"), "GameClient/game");
}

TEST(PackageBuilder, OtherPackageBytesGiveAnotherIdentity) {
  TempDir dir;
  dir.Write(L"a.zip", "package one");
  dir.Write(L"b.zip", "package two");
  dir.Write(L"c.zip", "package one");
  auto a = IdentifyPackage(dir.Path() / "a.zip");
  auto b = IdentifyPackage(dir.Path() / "b.zip");
  auto c = IdentifyPackage(dir.Path() / "c.zip");
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->size, 11u);
  // CRC-32 of "package one".
  EXPECT_EQ(a->crc32, 0x0F12FD8Eu);
  EXPECT_EQ(a->sha256, "1f9a892e0d2875eda557df4513fe22fd01d36e40377c2eaf466f9666655cca50");
  EXPECT_NE(a->sha256, b->sha256);
  EXPECT_NE(a->crc32, b->crc32);
  EXPECT_EQ(ManifestText("u", "e", *a), ManifestText("u", "e", *c));
  EXPECT_NE(ManifestText("u", "e", *a), ManifestText("u", "e", *b));
  EXPECT_FALSE(IdentifyPackage(dir.Path() / "missing.zip").has_value());
}

}  // namespace
