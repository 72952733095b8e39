// The two workers against a scripted downloader, unpacking real archives into
// a scratch client root.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>

#include "fakes/fake_transport.h"
#include "files/sha256_digest.h"
#include "minisign_signer.h"
#include "platform/file_system.h"
#include "update/manifest_signature.h"
#include "update/status_texts.h"
#include "update_harness.h"
#include "zip_builder.h"

namespace {

const std::wstring kManifestUrl = L"http://updates.test/pkg.json";
const std::wstring kPackageUrl = L"http://updates.test/GameClient.zip";
const std::string kManifest =
    "{\"client_url\":\"http://updates.test/GameClient.zip\",\"exe_path\":\"bin\\\\game.exe\"}";
const std::string kPackage = testzip::Build({{"bin/game.exe", "game"}});

class UpdateFlowTest : public ::testing::Test {
 protected:
  UpdateFlowTest() : harness(downloader, "http://updates.test/pkg.json") {}

  UpdateOutcome Run() {
    harness.Start();
    auto outcome = harness.Wait();
    EXPECT_TRUE(outcome.has_value()) << "the update never ended";
    return outcome.value_or(UpdateOutcome::ManifestDownloadFailed);
  }

  int PackageRequests() const {
    int count = 0;
    for (const auto& url : downloader->Requests()) {
      count += FakeTransport::WithoutCacheBuster(url) == kPackageUrl;
    }
    return count;
  }

  bool ClientDirectoryExists() const {
    return std::filesystem::exists(harness.dir.Path() / "micro" / "GameClient");
  }

  std::shared_ptr<FakeTransport> downloader = std::make_shared<FakeTransport>();
  UpdateHarness harness;
};

TEST_F(UpdateFlowTest, FirstRunInstallsAndRecordsTheManifest) {
  downloader->Serve(kManifestUrl, {true, kManifest});
  downloader->Serve(kPackageUrl, {true, kPackage});
  EXPECT_EQ(Run(), UpdateOutcome::Installed);

  EXPECT_EQ(harness.ReadClientFile(L"bin/game.exe"), "game");
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), kManifest);
  EXPECT_EQ(harness.ReadMicroFile(L"pkg_tmp.json"), kManifest);
  EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
  EXPECT_EQ(harness.view->StatusTexts(),
            (std::vector<std::wstring>{kUpdatingText, kCompletedText}));
  EXPECT_TRUE(harness.view->StripShownEver());
  EXPECT_FALSE(harness.view->StripVisible());
  EXPECT_FALSE(harness.state->m_bShowProgress);
  EXPECT_FALSE(harness.state->m_bUpdating);
  EXPECT_TRUE(harness.state->m_bRedrawPending);
  EXPECT_EQ(harness.state->m_nProgress, 100);
  EXPECT_STREQ(harness.state->m_exePath.load(), "bin\\game.exe");
  EXPECT_STREQ(harness.state->m_clientUrl.load(), "http://updates.test/GameClient.zip");
  EXPECT_EQ(harness.state->m_strPkgPath, harness.MicroFile(L"pkg.json"));
}

TEST_F(UpdateFlowTest, BothDownloadsCarryTheCacheBuster) {
  downloader->Serve(L"http://updates.test/v?a=1", {true, kManifest});
  downloader->Serve(kPackageUrl, {true, kPackage});
  UpdateHarness withQuery(downloader, "http://updates.test/v?a=1");
  withQuery.Start();
  ASSERT_EQ(withQuery.Wait(), UpdateOutcome::Installed);
  auto requests = downloader->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].rfind(L"http://updates.test/v?a=1?skq=", 0), 0u) << requests[0];
  EXPECT_EQ(requests[1].rfind(kPackageUrl + L"?skq=", 0), 0u) << requests[1];
}

// The signature lies beside the manifest: its path gains ".minisig" before
// any query, and the cache-buster follows.
TEST_F(UpdateFlowTest, TheSignatureIsFetchedBesideTheManifest) {
  EXPECT_EQ(SignatureAddress(L"http://h/v/pkg.json"), L"http://h/v/pkg.json.minisig");
  EXPECT_EQ(SignatureAddress(L"http://h/pkg.json#top"), L"http://h/pkg.json.minisig#top");

  MinisignKeyPair key = *GenerateMinisignKeyPair();
  harness.dir.Write(L"package.zip", kPackage);
  auto package =
      platform::MakeSystemArchiveFiles()->OpenArchive(harness.dir.WideFile(L"package.zip"));
  ASSERT_TRUE(package);
  const std::string manifest =
      "{\"client_url\":\"http://updates.test/GameClient.zip\",\"exe_path\":\"a.exe\","
      "\"package_sha256\":\"" +
      Sha256Hex(*package).value_or("") + "\"}";
  auto signature = SignMinisign(key.secretKey, manifest, MinisignAlgorithm::Prehashed, "u", "t");
  ASSERT_TRUE(signature);
  downloader->Serve(L"http://updates.test/v?a=1", {true, manifest});
  downloader->Serve(L"http://updates.test/v.minisig?a=1",
                    {true, FormatMinisignSignature(*signature)});
  downloader->Serve(kPackageUrl, {true, kPackage});
  UpdateHarness withQuery(downloader, "http://updates.test/v?a=1");
  withQuery.state->config.updateKeys = {key.publicKey};
  withQuery.Start();
  ASSERT_EQ(withQuery.Wait(), UpdateOutcome::Installed);
  auto requests = downloader->Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].rfind(L"http://updates.test/v.minisig?a=1?skq=", 0), 0u) << requests[1];
  EXPECT_EQ(withQuery.ReadMicroFile(L"pkg.json"), manifest);
}

TEST_F(UpdateFlowTest, AnUnchangedManifestRequestsNoPackage) {
  harness.WriteMicroFile(L"pkg.json", kManifest);
  downloader->Serve(kManifestUrl, {true, kManifest});
  EXPECT_EQ(Run(), UpdateOutcome::ClientCurrent);
  EXPECT_EQ(PackageRequests(), 0);
  EXPECT_EQ(harness.view->StatusTexts(), std::vector<std::wstring>{L" "});
  EXPECT_FALSE(harness.state->m_bUpdating);
  EXPECT_TRUE(harness.state->m_bRedrawPending);
  EXPECT_GE(harness.view->Invalidations(), 1);
  EXPECT_STREQ(harness.state->m_exePath.load(), "bin\\game.exe");
}

TEST_F(UpdateFlowTest, ManifestsAreComparedAsTexts) {
  harness.WriteMicroFile(L"pkg.json", kManifest + " ");
  downloader->Serve(kManifestUrl, {true, kManifest});
  downloader->Serve(kPackageUrl, {true, kPackage});
  EXPECT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_EQ(PackageRequests(), 1);
}

TEST_F(UpdateFlowTest, ALeftOverPackageOrdersAnInstallWithoutComparing) {
  harness.WriteMicroFile(L"pkg.json", kManifest);
  harness.WriteMicroFile(L"GameClient.zip", "half a package");
  downloader->Serve(kManifestUrl, {true, kManifest});
  downloader->Serve(kPackageUrl, {true, kPackage});
  EXPECT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_EQ(PackageRequests(), 1);
  EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
}

TEST_F(UpdateFlowTest, KeysInCapitalsAreFound) {
  const std::string capitals =
      "{\"CLIENT_URL\":\"http://updates.test/GameClient.zip\",\"Exe_Path\":\"g\"}";
  downloader->Serve(kManifestUrl, {true, capitals});
  downloader->Serve(kPackageUrl, {true, kPackage});
  EXPECT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_STREQ(harness.state->m_exePath.load(), "g");
}

TEST_F(UpdateFlowTest, AFailedManifestDownloadSaysSoAndKeepsLaunchingBlocked) {
  harness.WriteMicroFile(L"pkg_tmp.json", kManifest);
  downloader->Serve(kManifestUrl, {false, ""});
  EXPECT_EQ(Run(), UpdateOutcome::ManifestDownloadFailed);
  EXPECT_EQ(harness.view->Status(), kCheckFailedText);
  EXPECT_FALSE(harness.view->StripVisible());
  EXPECT_TRUE(harness.state->m_bUpdating);
  EXPECT_EQ(harness.state->m_clientUrl.load(), nullptr);
  EXPECT_EQ(harness.state->m_exePath.load(), nullptr);
  EXPECT_EQ(PackageRequests(), 0);
}

TEST_F(UpdateFlowTest, AnEmptyManifestAddressFails) {
  UpdateHarness empty(downloader, "");
  empty.Start();
  EXPECT_EQ(empty.Wait(), UpdateOutcome::ManifestDownloadFailed);
  EXPECT_EQ(empty.view->Status(), kCheckFailedText);
}

TEST_F(UpdateFlowTest, AnUnusableManifestSaysSo) {
  for (const std::string body :
       {"[1,2]", "not json", "", "{\"client_url\":\"http://x/\"}", "{\"exe_path\":\"g.exe\"}",
        "{\"client_url\":1,\"exe_path\":\"g\"}"}) {
    UpdateHarness run(downloader, "http://updates.test/bad");
    downloader->Serve(L"http://updates.test/bad", {true, body});
    run.Start();
    EXPECT_EQ(run.Wait(), UpdateOutcome::ManifestUnusable) << body;
    EXPECT_EQ(run.view->Status(), kManifestInvalidText) << body;
    EXPECT_TRUE(run.state->m_bUpdating) << body;
    EXPECT_FALSE(run.MicroFileExists(L"pkg.json")) << body;
  }
  EXPECT_EQ(PackageRequests(), 0);
}

TEST_F(UpdateFlowTest, AFailedPackageDownloadHidesTheStripAndSaysSo) {
  harness.WriteMicroFile(L"pkg.json", "old");
  downloader->Serve(kManifestUrl, {true, kManifest});
  downloader->Serve(kPackageUrl, {false, ""});
  EXPECT_EQ(Run(), UpdateOutcome::PackageDownloadFailed);
  EXPECT_EQ(harness.view->Status(), kDownloadFailedText);
  EXPECT_TRUE(harness.view->StripShownEver());
  EXPECT_FALSE(harness.view->StripVisible());
  EXPECT_FALSE(harness.state->m_bShowProgress);
  EXPECT_TRUE(harness.state->m_bUpdating);
  EXPECT_FALSE(ClientDirectoryExists());
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), "old");
}

TEST_F(UpdateFlowTest, APackageThatIsNoArchiveKeepsTheOldManifestAndSaysSo) {
  harness.WriteMicroFile(L"pkg.json", "old");
  downloader->Serve(kManifestUrl, {true, kManifest});
  downloader->Serve(kPackageUrl, {true, "<html>not a zip</html>"});
  EXPECT_EQ(Run(), UpdateOutcome::InstallFailed);
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), "old");
  EXPECT_EQ(harness.view->Status(), kInstallFailedText);
  EXPECT_TRUE(harness.state->m_bUpdating);
  EXPECT_FALSE(harness.view->StripVisible());
  EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
}

TEST_F(UpdateFlowTest, AManifestThatCannotBeWrittenIsAFailedInstall) {
  std::filesystem::create_directories(harness.dir.Path() / "micro" / "pkg.json");
  downloader->Serve(kManifestUrl, {true, kManifest});
  downloader->Serve(kPackageUrl, {true, kPackage});
  EXPECT_EQ(Run(), UpdateOutcome::InstallFailed);
  EXPECT_EQ(harness.view->Status(), kInstallFailedText);
  EXPECT_TRUE(harness.state->m_bUpdating);
}

TEST_F(UpdateFlowTest, LaunchingIsBlockedFromTheStartUntilTheCheckEnds) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> busyDuringDownload{false};
  downloader->OnRequest([&](const std::wstring&) {
    busyDuringDownload = harness.state->m_bUpdating.load();
    released.wait();
  });
  harness.WriteMicroFile(L"pkg.json", kManifest);
  downloader->Serve(kManifestUrl, {true, kManifest});
  harness.Start();
  EXPECT_TRUE(harness.state->m_bUpdating);
  release.set_value();
  EXPECT_EQ(harness.Wait(), UpdateOutcome::ClientCurrent);
  EXPECT_TRUE(busyDuringDownload);
  EXPECT_FALSE(harness.state->m_bUpdating);
}

// The window and its state may go while a download still runs; the workers
// keep what they use alive (the sanitizers check that nothing freed is read).
TEST(UpdateLifetime, WorkersOutliveThePanelThatStartedThem) {
  auto downloader = std::make_shared<FakeTransport>();
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> downloading;
  downloader->OnRequest([&](const std::wstring& url) {
    if (FakeTransport::WithoutCacheBuster(url) != kPackageUrl) return;
    downloading.set_value();
    released.wait();
  });
  downloader->Serve(kManifestUrl, {true, kManifest});
  downloader->Serve(kPackageUrl, {true, kPackage});
  std::promise<UpdateOutcome> finished;
  std::shared_ptr<FakePanelView> view;
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  FakeTrace trace;
  {
    UpdateHarness harness(downloader, "http://updates.test/pkg.json", files.get(), &trace);
    harness.context->onFinished = [&finished](UpdateOutcome outcome) {
      finished.set_value(outcome);
    };
    view = harness.view;
    harness.Start();
    downloading.get_future().wait();
  }
  release.set_value();
  auto outcome = finished.get_future();
  ASSERT_EQ(outcome.wait_for(std::chrono::minutes(1)), std::future_status::ready);
  // The scratch client root went with the harness, so the package has
  // nowhere to go; the worker says so on the (still living) view.
  EXPECT_EQ(outcome.get(), UpdateOutcome::PackageDownloadFailed);
  EXPECT_EQ(view->Status(), kDownloadFailedText);
}

}  // namespace
