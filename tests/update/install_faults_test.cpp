// Installs that must neither lock the player out nor leave a client that
// mixes two versions: real archives unpacked by the update as the panel puts
// it together.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>

#include "fakes/fake_transport.h"
#include "fakes/faulty_files.h"
#include "fakes/forwarding_archive_files.h"
#include "fakes/small_disk_files.h"
#include "file_facts.h"
#include "platform/text_codec.h"
#include "update/status_texts.h"
#include "update_harness.h"
#include "zip_builder.h"

namespace {

using testzip::Entry;

const std::wstring kManifestUrl = L"http://updates.test/pkg.json";

std::string Manifest(int version) {
  return "{\"client_url\":\"http://updates.test/v" + std::to_string(version) +
         ".zip\",\"exe_path\":\"GameClient/game\"}";
}

// The entry's data no longer matches the CRC-32 both its headers carry.
std::string WithBrokenCrc(std::string archive, int entry) {
  testzip::Put32(archive, testzip::FindSignature(archive, testzip::kLocalHeader, entry) + 14,
                 0xDEADBEEF);
  testzip::Put32(archive, testzip::FindSignature(archive, testzip::kCentralHeader, entry) + 16,
                 0xDEADBEEF);
  return archive;
}

class ThrowingFiles final : public ForwardingArchiveFiles {
 public:
  std::unique_ptr<platform::ArchiveStream> OpenArchive(const std::wstring&) const override {
    throw std::runtime_error("unexpected");
  }
};

template <typename Files>
class InstallTest : public ::testing::Test {
 protected:
  // With an `etag` the package is served to range requests too.
  void Publish(int version, const std::string& package, const std::string& etag = "") {
    downloader->Serve(kManifestUrl, {true, Manifest(version)});
    downloader->Serve(L"http://updates.test/v" + std::to_wstring(version) + L".zip",
                      {true, package, 200, {}, etag});
  }

  UpdateOutcome Run() {
    harness.Start();
    auto outcome = harness.Wait();
    EXPECT_TRUE(outcome.has_value()) << "the update never ended";
    return outcome.value_or(UpdateOutcome::ManifestDownloadFailed);
  }

  UpdateOutcome RunAgain() {
    harness.Restart();
    return Run();
  }

  int PackageRequests() const {
    int count = 0;
    for (const auto& url : downloader->Requests()) count += url.find(L".zip") != std::wstring::npos;
    return count;
  }

  Files files;
  std::shared_ptr<FakeTransport> downloader = std::make_shared<FakeTransport>();
  UpdateHarness harness{downloader, "http://updates.test/pkg.json", &files};
};

using InstallFaultsTest = InstallTest<ForwardingArchiveFiles>;
using FullDiskTest = InstallTest<SmallDisk>;
using WorkerFaultTest = InstallTest<ThrowingFiles>;
using FileFaultsTest = InstallTest<FaultyFiles>;

// Every file below `root` by its '/'-separated name, with its bytes.
std::map<std::string, std::string> TreeOf(const std::filesystem::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    if (!item.is_regular_file()) continue;
    std::ifstream file(item.path(), std::ios::binary);
    tree[item.path().lexically_relative(root).generic_string()] =
        std::string(std::istreambuf_iterator<char>(file), {});
  }
  return tree;
}

TEST_F(InstallFaultsTest, ADirectoryEntryWithoutTheDirectoryAttributeInstalls) {
  Entry bin{"bin/", ""};
  bin.externalAttributes = 0;
  Publish(1, testzip::Build({bin, {"bin/game", "v1"}}));
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_EQ(harness.ReadClientFile(L"bin/game"), "v1");
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), Manifest(1));
}

TEST_F(InstallFaultsTest, AReadOnlyFileOfTheLastInstallIsReplaced) {
  Entry config{"config.ini", "v1"};
  config.externalAttributes = 0x21;
  Publish(1, testzip::Build({config}));
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  config.data = "v2";
  Publish(2, testzip::Build({config}));
  EXPECT_EQ(RunAgain(), UpdateOutcome::Installed);
  EXPECT_EQ(harness.ReadClientFile(L"config.ini"), "v2");
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), Manifest(2));
  MakeWritable(harness.dir.Path() / "micro" / "GameClient" / "config.ini");
}

TEST_F(InstallFaultsTest, TargetPathsOf260CharactersOrMoreFollowThePlatformsRules) {
  std::string name =
      std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(50, 'c');
  Publish(1, testzip::Build({{name, "deep"}}));
#ifdef _WIN32
  EXPECT_EQ(Run(), UpdateOutcome::InstallFailed);
#else
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_EQ(harness.ReadClientFile(platform::DecodeUtf8(name)), "deep");
#endif
}

// v1 installed; v2 fails its CRC-32 halfway; the operator rolls the manifest
// back to v1's text. The client now mixes both versions, so it must be
// installed again rather than found current.
TEST_F(InstallFaultsTest, AFailedInstallIsRepeatedWhenTheManifestRollsBack) {
  std::vector<Entry> v1 = {{"game", "game v1"}, {"data.bin", std::string(100000, '1')}};
  Publish(1, testzip::Build(v1));
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  Publish(2, WithBrokenCrc(
                 testzip::Build({{"game", "game v2"}, {"data.bin", std::string(100000, '2')}}), 1));
  ASSERT_EQ(RunAgain(), UpdateOutcome::InstallFailed);
  EXPECT_FALSE(harness.MicroFileExists(L"pkg.json"));

  Publish(1, testzip::Build(v1));
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  EXPECT_EQ(harness.ReadClientFile(L"game"), "game v1");
  EXPECT_EQ(harness.ReadClientFile(L"data.bin"), std::string(100000, '1'));
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), Manifest(1));
}

TEST_F(InstallFaultsTest, AFailedInstallRemovesTheFileItHalfWrote) {
  Publish(1, WithBrokenCrc(testzip::Build({{"data.bin", std::string(300000, 'x')}}), 0));
  ASSERT_EQ(Run(), UpdateOutcome::InstallFailed);
  EXPECT_EQ(harness.view->Status(), kInstallFailedText);
  EXPECT_FALSE(harness.ClientFileExists(L"data.bin"));
}

TEST_F(InstallFaultsTest, EntriesSharingOneDeflateStreamFailTheInstall) {
  std::vector<Entry> entries;
  for (int index = 0; index < 20; ++index) {
    entries.push_back({"f" + std::to_string(100 + index) + ".bin", std::string(1000000, '\0')});
  }
  std::string package = testzip::Build(entries);
  for (int index = 0; index < 20; ++index) {
    testzip::Put32(package, testzip::FindSignature(package, testzip::kCentralHeader, index) + 42,
                   0);
  }
  Publish(1, package);
  ASSERT_EQ(Run(), UpdateOutcome::InstallFailed);
  for (int index = 1; index < 20; ++index) {
    EXPECT_FALSE(harness.ClientFileExists(L"f" + std::to_wstring(100 + index) + L".bin"));
  }
}

TEST_F(FullDiskTest, APackageLargerThanTheFreeSpaceIsKeptAndInstalledOnceThereIsRoom) {
  harness.WriteMicroFile(L"pkg.json", "installed before");
  Publish(1, testzip::Build({{"data.bin", std::string(200000, 'd')}}));
  files.free = 100000;
  ASSERT_EQ(Run(), UpdateOutcome::DiskFull);
  EXPECT_EQ(harness.view->Status(), kDiskFullText);
  EXPECT_TRUE(harness.state->m_bUpdating);
  EXPECT_FALSE(std::filesystem::exists(harness.dir.Path() / "micro" / "GameClient"));
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), "installed before");
  EXPECT_TRUE(harness.MicroFileExists(L"GameClient.zip"));

  files.free = 1ull << 40;
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  EXPECT_EQ(PackageRequests(), 1);
  EXPECT_EQ(harness.ReadClientFile(L"data.bin"), std::string(200000, 'd'));
  EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
}

TEST_F(WorkerFaultTest, WhatEscapesAWorkerIsAFailedUpdateNotADeadLauncher) {
  Publish(1, testzip::Build({{"game", "v1"}}));
  ASSERT_EQ(Run(), UpdateOutcome::InstallFailed);
  EXPECT_EQ(harness.view->Status(), kInstallFailedText);
  EXPECT_TRUE(harness.state->m_bUpdating);

  downloader->OnRequest([](const std::wstring&) { throw std::runtime_error("unexpected"); });
  ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestDownloadFailed);
  EXPECT_EQ(harness.view->Status(), kCheckFailedText);
}

// Every file operation of an update from v1 to v2 fails in turn, as a disk
// failing at that moment would, by ranges and by the whole package. Whatever
// that run leaves, the next start installs v2 whole: a mixed client never
// passes for a complete one.
TEST_F(FileFaultsTest, AnyFileOperationFailingLeavesNoClientThatPassesForComplete) {
  // Only the bytes tell the versions apart; the large file, the same in
  // both, is kept by ranges.
  std::mt19937 random(7);
  std::string kept(70000, '\0');
  for (char& c : kept) c = static_cast<char>(random());
  auto release = [&kept](char version) {
    return testzip::Build({{"game", std::string("game v") + version},
                           {"data/a.bin", kept},
                           {"data/b.bin", std::string(3000, version)}});
  };
  const std::filesystem::path micro = harness.dir.Path() / "micro";
  for (std::string etag : {"", "\"v2\""}) {
    auto installFirst = [&] {
      std::filesystem::remove_all(micro);
      Publish(1, release('1'));
      return RunAgain();
    };
    ASSERT_EQ(installFirst(), UpdateOutcome::Installed);
    Publish(2, release('2'), etag);
    files.calls = 0;
    ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
    EXPECT_EQ(harness.trace.Text().find(L"delta update: 1 entries kept") != std::wstring::npos,
              !etag.empty());
    const std::map<std::string, std::string> second = TreeOf(micro / "GameClient");
    const int operations = files.calls;

    for (int failing = 1; failing <= operations; ++failing) {
      ASSERT_EQ(installFirst(), UpdateOutcome::Installed);
      Publish(2, release('2'), etag);
      files.calls = 0;
      files.failAt = failing;
      RunAgain();
      files.failAt = 0;
      UpdateOutcome next = RunAgain();
      std::string where = "operation " + std::to_string(failing) + " of " +
                          std::to_string(operations) + (etag.empty() ? "" : " by ranges");
      EXPECT_TRUE(next == UpdateOutcome::Installed || next == UpdateOutcome::ClientCurrent)
          << where;
      EXPECT_TRUE(TreeOf(micro / "GameClient") == second) << where;
      EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), Manifest(2)) << where;
    }
  }
}

}  // namespace
