// Whole update runs: the system downloader against a loopback server, real
// archives, real extraction into a scratch client root.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "http_test_server.h"
#include "package_builder.h"
#include "platform/archive_files.h"
#include "platform/text_codec.h"
#include "update/status_texts.h"
#include "update_harness.h"

namespace {

std::vector<ArchiveItem> ClientFiles(const std::string& version) {
  std::vector<ArchiveItem> items(4);
  items[0].name = "bin/";
  items[0].unixMode = 040755;
  items[1].name = "bin/game.exe";
  items[1].bytes = "game " + version;
  items[1].unixMode = 0100755;
  items[2].name = "data/levels.dat";
  items[2].bytes = std::string(200000, 'L') + version;
  items[3].name = "readme.txt";
  items[3].bytes = "read me " + version;
  return items;
}

std::string ArchiveBytes(const std::vector<ArchiveItem>& items, const TempDir& scratch) {
  auto path = scratch.Path() / "built.zip";
  EXPECT_TRUE(WriteZipArchive(path, items));
  return scratch.Read(L"built.zip");
}

class UpdateIntegrationTest : public ::testing::Test {
 protected:
  UpdateIntegrationTest()
      : downloader(platform::MakeSystemTransport(
            {std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)})),
        harness(downloader, server.Address("/pkg.json")) {}

  std::string Manifest(const std::string& packagePath = "/GameClient.zip") const {
    return ManifestText(server.Address(packagePath), "bin/game.exe", {});
  }

  void ServeRelease(const std::string& version) {
    server.Serve("/pkg.json", Manifest());
    server.Serve("/GameClient.zip", ArchiveBytes(ClientFiles(version), scratch));
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

  std::string ClientFile(const std::string& name) const {
    return harness.dir.Read(platform::DecodeUtf8("micro/GameClient/" + name));
  }

  void ExpectInstalled(const std::string& version) {
    EXPECT_EQ(ClientFile("bin/game.exe"), "game " + version);
    EXPECT_EQ(ClientFile("data/levels.dat"), std::string(200000, 'L') + version);
    EXPECT_EQ(ClientFile("readme.txt"), "read me " + version);
    EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
  }

  HttpTestServer server;
  TempDir scratch;
  std::shared_ptr<platform::HttpTransport> downloader;
  UpdateHarness harness;
};

TEST_F(UpdateIntegrationTest, FirstRunInstallsTheClient) {
  ServeRelease("1");
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled("1");
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), Manifest());
  EXPECT_EQ(harness.ReadMicroFile(L"pkg_tmp.json"), Manifest());
  EXPECT_EQ(harness.view->Status(), kCompletedText);
  EXPECT_FALSE(harness.state->m_bUpdating);
  EXPECT_EQ(harness.state->m_nProgress, 100);
  EXPECT_NE(server.LastQuery("/pkg.json").find("skq="), std::string::npos);
  EXPECT_NE(server.LastQuery("/GameClient.zip").find("skq="), std::string::npos);
}

// A download of some seconds shows its percent, speed and time left, traced
// too; the unpacking shows the updating text again.
TEST_F(UpdateIntegrationTest, ASlowDownloadShowsItsSpeedAndTimeLeft) {
  std::vector<ArchiveItem> items = ClientFiles("1");
  ArchiveItem noise;
  noise.name = "data/noise.bin";
  std::mt19937 random(7);
  noise.bytes.resize(3 * 1024 * 1024);
  for (char& c : noise.bytes) c = static_cast<char>(random());
  items.push_back(noise);
  std::string package = ArchiveBytes(items, scratch);
  server.Serve("/pkg.json", Manifest());
  // About 1.6 MiB/s.
  server.Route("/GameClient.zip", [package](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(
        package.size(), "application/zip",
        [package](std::size_t offset, std::size_t, httplib::DataSink& sink) {
          std::this_thread::sleep_for(std::chrono::milliseconds(40));
          std::size_t length = std::min<std::size_t>(64 * 1024, package.size() - offset);
          return sink.write(package.data() + offset, length);
        });
  });
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  std::vector<std::wstring> texts = harness.view->StatusTexts();
  auto speed = std::find_if(texts.begin(), texts.end(), [](const std::wstring& text) {
    return text.rfind(L"正在更新 ", 0) == 0 && text.find(L"B/s  剩余") != std::wstring::npos;
  });
  ASSERT_NE(speed, texts.end());
  EXPECT_NE(std::find(speed, texts.end(), std::wstring(kUpdatingText)), texts.end());
  EXPECT_EQ(texts.back(), kCompletedText);
  EXPECT_NE(harness.trace.Text().find(L"\n" + *speed), std::wstring::npos);
}

// The player's cap holds the download to it: never faster on average.
TEST_F(UpdateIntegrationTest, ACappedDownloadTakesAtLeastItsSizeOverTheCap) {
  std::vector<ArchiveItem> items = ClientFiles("1");
  ArchiveItem noise;
  noise.name = "data/noise.bin";
  std::mt19937 random(8);
  noise.bytes.resize(640 * 1024);
  for (char& c : noise.bytes) c = static_cast<char>(random());
  items.push_back(noise);
  std::string package = ArchiveBytes(items, scratch);
  server.Serve("/pkg.json", Manifest());
  server.Serve("/GameClient.zip", package);
  harness.state->config.downloadLimit = 256;
  auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  EXPECT_GE(took.count(), static_cast<double>(package.size()) / (256 * 1024));
  ExpectInstalled("1");
}

// The package's own address refuses connections and the first mirror is
// busy: the second mirror serves it, and the trace names each address.
TEST_F(UpdateIntegrationTest, AFailingAddressHandsOverToTheNextMirror) {
  server.Serve("/busy.zip", "busy", 503);
  server.Serve("/GameClient.zip", ArchiveBytes(ClientFiles("1"), scratch));
  ManifestExtras extras;
  extras.mirrors = {server.Address("/busy.zip"), server.Address("/GameClient.zip")};
  std::string refusing = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/GameClient.zip";
  server.Serve("/pkg.json", ManifestText(refusing, "bin/game.exe", {}, extras));
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled("1");
  EXPECT_GE(server.Hits("/busy.zip"), 1);
  // Left at once for the next address, not after the retries' pauses.
  EXPECT_NE(harness.trace.Text().find(L"download failed (no connection): 0, 0 bytes, 1 attempt"),
            std::wstring::npos);
  EXPECT_NE(harness.trace.Text().find(L"package address: " +
                                      platform::DecodeUtf8(server.Address("/GameClient.zip"))),
            std::wstring::npos);
}

// A pinned package dropped halfway at one mirror, again at each retry, is
// continued at the next from where it stopped: the final SHA-256 vouches.
TEST_F(UpdateIntegrationTest, APinnedPackageIsContinuedAtTheNextMirror) {
  std::string package = ArchiveBytes(ClientFiles("1"), scratch);
  std::optional<PackageIdentity> identity = IdentifyPackage(scratch.Path() / "built.zip");
  ASSERT_TRUE(identity);
  server.ServeResumable("/a.zip", package, "\"a\"", package.size() / 2, 100);
  server.ServeResumable("/b.zip", package, "\"b\"");
  ManifestExtras extras;
  extras.mirrors = {server.Address("/b.zip")};
  server.Serve("/pkg.json",
               ManifestText(server.Address("/a.zip"), "bin/game.exe", identity, extras));
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled("1");
  EXPECT_EQ(server.BytesSent("/b.zip"), package.size() - package.size() / 2);
}

TEST_F(UpdateIntegrationTest, AnUnchangedManifestIsNotInstalledAgain) {
  ServeRelease("1");
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ASSERT_EQ(RunAgain(), UpdateOutcome::ClientCurrent);
  EXPECT_EQ(server.Hits("/pkg.json"), 2);
  EXPECT_EQ(server.Hits("/GameClient.zip"), 1);
  EXPECT_EQ(harness.view->Status(), L" ");
}

TEST_F(UpdateIntegrationTest, ACrLfManifestStaysUnchangedAcrossRuns) {
  ServeRelease("1");
  server.Serve("/pkg.json", "{\r\n\"client_url\": \"" + server.Address("/GameClient.zip") +
                                "\",\r\n\"exe_path\": \"bin/game.exe\"\r\n}\r\n");
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json").find('\r'), std::string::npos);
  ASSERT_EQ(RunAgain(), UpdateOutcome::ClientCurrent);
  EXPECT_EQ(server.Hits("/GameClient.zip"), 1);
}

// A package left by a run of another manifest is not this manifest's.
TEST_F(UpdateIntegrationTest, ALeftOverPackageOfAnotherManifestIsDownloadedAgain) {
  ServeRelease("1");
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  harness.WriteMicroFile(L"GameClient.zip", "left over");
  server.Serve("/pkg.json", Manifest("/v2/GameClient.zip"));
  server.Serve("/v2/GameClient.zip", ArchiveBytes(ClientFiles("2"), scratch));
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  // The range request for the new directory (refused: this server answers
  // 200), then the whole package.
  EXPECT_EQ(server.Hits("/v2/GameClient.zip"), 2);
  ExpectInstalled("2");
}

TEST_F(UpdateIntegrationTest, ManifestKeysInCapitalsAreFound) {
  ServeRelease("1");
  server.Serve("/pkg.json", "{\"CLIENT_URL\":\"" + server.Address("/GameClient.zip") +
                                "\",\"EXE_PATH\":\"bin/game.exe\"}");
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled("1");
  EXPECT_STREQ(harness.state->m_exePath.load(), "bin/game.exe");
}

TEST_F(UpdateIntegrationTest, ManifestErrorsAreReported) {
  for (int status : {404, 500}) {
    server.Serve("/pkg.json", "<html>error</html>", status);
    EXPECT_EQ(RunAgain(), UpdateOutcome::ManifestDownloadFailed) << status;
    EXPECT_EQ(harness.view->Status(), kCheckFailedText) << status;
    EXPECT_TRUE(harness.state->m_bUpdating) << status;
  }
  EXPECT_FALSE(harness.MicroFileExists(L"pkg_tmp.json"));
}

TEST_F(UpdateIntegrationTest, AnUnreachableServerIsReported) {
  UpdateHarness refused(downloader,
                        "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/pkg.json");
  refused.Start();
  EXPECT_EQ(refused.Wait(), UpdateOutcome::ManifestDownloadFailed);
  EXPECT_EQ(refused.view->Status(), kCheckFailedText);
  EXPECT_TRUE(refused.state->m_bUpdating);
}

// A package download that fails in any way leaves the installed manifest and
// no package file, and the next run tries again.
TEST_F(UpdateIntegrationTest, PackageDownloadFailuresAreReportedAndRetried) {
  std::string package = ArchiveBytes(ClientFiles("1"), scratch);
  server.Serve("/pkg.json", Manifest());
  harness.WriteMicroFile(L"pkg.json", "installed before");
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (attempt == 0) server.Serve("/GameClient.zip", "missing", 404);
    if (attempt == 1) server.Serve("/GameClient.zip", "broken", 500);
    if (attempt == 2)
      server.ServeShort("/GameClient.zip", package.substr(0, package.size() / 2), package.size());
    if (attempt == 3) server.ServeStalling("/GameClient.zip", package);
    EXPECT_EQ(RunAgain(), UpdateOutcome::PackageDownloadFailed) << attempt;
    EXPECT_EQ(harness.view->Status(), kDownloadFailedText) << attempt;
    EXPECT_FALSE(harness.view->StripVisible()) << attempt;
    EXPECT_TRUE(harness.state->m_bUpdating) << attempt;
    EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip")) << attempt;
    EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), "installed before") << attempt;
  }
}

TEST_F(UpdateIntegrationTest, AnHtmlPageServedAsThePackageIsAFailedInstall) {
  server.Serve("/pkg.json", Manifest());
  server.Serve("/GameClient.zip", "<html><body>Service unavailable</body></html>");
  ASSERT_EQ(Run(), UpdateOutcome::InstallFailed);
  EXPECT_EQ(harness.view->Status(), kInstallFailedText);
  EXPECT_TRUE(harness.state->m_bUpdating);
  EXPECT_FALSE(harness.MicroFileExists(L"pkg.json"));
  EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));

  ServeRelease("1");
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  ExpectInstalled("1");
}

TEST_F(UpdateIntegrationTest, ARedirectedPackageIsInstalled) {
  ServeRelease("1");
  server.Redirect("/latest.zip", "/GameClient.zip");
  server.Serve("/pkg.json", Manifest("/latest.zip"));
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled("1");
  EXPECT_EQ(server.Hits("/latest.zip"), 1);
}

TEST_F(UpdateIntegrationTest, FilesThePackageDoesNotContainStay) {
  std::filesystem::create_directories(harness.dir.Path() / "micro" / "GameClient" / "saves");
  harness.WriteMicroFile(L"GameClient/saves/slot1.sav", "my progress");
  harness.WriteMicroFile(L"GameClient/readme.txt", "old readme");
  ServeRelease("1");
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled("1");
  EXPECT_EQ(ClientFile("saves/slot1.sav"), "my progress");
}

// The manifest's bounds: 4 MiB, 200 only, and no pkg_tmp.json after a failure.
TEST_F(UpdateIntegrationTest, AManifestPastFourMebibytesFailsTheCheckAndLeavesNoCopy) {
  ServeRelease("1");
  std::string padded = Manifest();
  padded.insert(padded.size() - 1, std::string(5 * 1024 * 1024, ' '));
  server.Serve("/pkg.json", padded);
  harness.WriteMicroFile(L"pkg_tmp.json", Manifest());
  ASSERT_EQ(Run(), UpdateOutcome::ManifestDownloadFailed);
  EXPECT_EQ(harness.view->Status(), kCheckFailedText);
  EXPECT_FALSE(harness.MicroFileExists(L"pkg_tmp.json"));
  EXPECT_FALSE(harness.MicroFileExists(L"pkg_tmp.json.part"));
  EXPECT_EQ(server.Hits("/GameClient.zip"), 0);
}

TEST_F(UpdateIntegrationTest, APartialAnswerIsNoManifest) {
  ServeRelease("1");
  server.Serve("/pkg.json", Manifest(), 206);
  ASSERT_EQ(Run(), UpdateOutcome::ManifestDownloadFailed);
  EXPECT_EQ(harness.view->Status(), kCheckFailedText);
  EXPECT_EQ(server.Hits("/GameClient.zip"), 0);
}

}  // namespace
