// Updates with an operator's key: signatures and packages made here with fresh
// keys, served on loopback, checked by the launcher's own update workers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "http_test_server.h"
#include "minisign_signer.h"
#include "package_builder.h"
#include "platform/archive_files.h"
#include "platform/text_codec.h"
#include "update/manifest_signature.h"
#include "update/status_texts.h"
#include "update_harness.h"

namespace {

struct Release {
  std::string manifest;
  std::string package;
};

class SignedUpdateTest : public ::testing::Test {
 protected:
  SignedUpdateTest()
      : downloader(platform::MakeSystemTransport(
            {std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)})),
        harness(downloader, server.Address("/pkg.json")),
        key(*GenerateMinisignKeyPair()),
        otherKey(*GenerateMinisignKeyPair()) {
    UseKey();
  }

  void UseKey() { harness.state->config.updateKey = key.publicKey; }

  // A package of `version` and its manifest, pinned by size and SHA-256.
  Release MakeRelease(const std::string& version, const std::string& exePath = "bin/game.exe",
                      const std::string& packagePath = "/GameClient.zip") {
    std::vector<ArchiveItem> items(2);
    items[0].name = "bin/game.exe";
    items[0].bytes = "game " + version;
    items[1].name = "data/levels.dat";
    items[1].bytes = std::string(100000, 'L') + version;
    std::filesystem::path path = scratch.Path() / ("release-" + version + ".zip");
    EXPECT_TRUE(WriteZipArchive(path, items));
    std::optional<PackageIdentity> identity = IdentifyPackage(path);
    EXPECT_TRUE(identity.has_value());
    return {ManifestText(server.Address(packagePath), exePath, identity),
            scratch.Read(path.filename().wstring())};
  }

  static std::string Sign(const MinisignKeyPair& by, const std::string& manifest,
                          MinisignAlgorithm algorithm = MinisignAlgorithm::Prehashed) {
    auto signature = SignMinisign(by.secretKey, manifest, algorithm, "signature from test key",
                                  "timestamp:1700000000\tfile:pkg.json\thashed");
    EXPECT_TRUE(signature.has_value());
    return signature ? FormatMinisignSignature(*signature) : std::string();
  }

  void Serve(const Release& release, const std::string& signature) {
    server.Serve("/pkg.json", release.manifest);
    server.Serve("/pkg.json.minisig", signature);
    server.Serve("/GameClient.zip", release.package);
  }

  UpdateOutcome Run() {
    harness.Start();
    auto outcome = harness.Wait();
    EXPECT_TRUE(outcome.has_value()) << "the update never ended";
    return outcome.value_or(UpdateOutcome::ManifestDownloadFailed);
  }

  UpdateOutcome RunAgain() {
    harness.Restart();
    UseKey();
    return Run();
  }

  std::string ClientFile(const std::string& name) const {
    return harness.dir.Read(platform::DecodeUtf8("micro/GameClient/" + name));
  }

  // Version 1, properly signed, installed: what a refusal must not lose.
  Release InstallFirst() {
    Release first = MakeRelease("1");
    Serve(first, Sign(key, first.manifest));
    EXPECT_EQ(Run(), UpdateOutcome::Installed);
    EXPECT_EQ(ClientFile("bin/game.exe"), "game 1");
    return first;
  }

  // Refused with the text; the installed client and "pkg.json" unchanged; no
  // package fetched; the game cannot be started.
  void ExpectRefused(const Release& installed, int packageHitsBefore) {
    EXPECT_EQ(harness.view->Status(), kManifestUnverifiedText);
    EXPECT_TRUE(harness.state->m_bUpdating);
    EXPECT_EQ(harness.state->m_exePath.load(), nullptr);
    EXPECT_EQ(harness.state->m_newManifestText.load(), nullptr);
    EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), installed.manifest);
    EXPECT_EQ(ClientFile("bin/game.exe"), "game 1");
    EXPECT_EQ(server.Hits("/GameClient.zip"), packageHitsBefore);
    EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
  }

  HttpTestServer server;
  TempDir scratch;
  std::shared_ptr<platform::HttpTransport> downloader;
  UpdateHarness harness;
  MinisignKeyPair key;
  MinisignKeyPair otherKey;
};

TEST_F(SignedUpdateTest, ASignedReleaseInstallsWithEitherAlgorithm) {
  InstallFirst();
  EXPECT_NE(server.LastQuery("/pkg.json.minisig").find("skq="), std::string::npos);
  Release second = MakeRelease("2");
  Serve(second, Sign(key, second.manifest, MinisignAlgorithm::Legacy));
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  EXPECT_EQ(ClientFile("bin/game.exe"), "game 2");
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), second.manifest);
  EXPECT_EQ(harness.view->Status(), kCompletedText);
  ASSERT_EQ(RunAgain(), UpdateOutcome::ClientCurrent);
}

TEST_F(SignedUpdateTest, TamperedManifestIsRefused) {
  Release first = InstallFirst();
  Release second = MakeRelease("2");
  std::string signature = Sign(key, second.manifest);
  // Another executable in an otherwise signed manifest.
  Release tampered = MakeRelease("2", "bin/other.exe");
  Serve(tampered, signature);
  ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified);
  ExpectRefused(first, 1);
  // One byte more, and CR LF line ends the text reading would remove.
  server.Serve("/pkg.json", second.manifest + "\n");
  ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified);
  std::string crlf;
  for (char c : second.manifest) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  server.Serve("/pkg.json", crlf);
  ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified);
  ExpectRefused(first, 1);
}

TEST_F(SignedUpdateTest, ASignatureByAnotherKeyIsRefused) {
  Release first = InstallFirst();
  Release second = MakeRelease("2");
  Serve(second, Sign(otherKey, second.manifest));
  ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified);
  ExpectRefused(first, 1);
}

TEST_F(SignedUpdateTest, MissingOrTruncatedSignaturesAreRefused) {
  Release first = InstallFirst();
  Release second = MakeRelease("2");
  std::string signature = Sign(key, second.manifest);
  Serve(second, signature);
  server.Serve("/pkg.json.minisig", "not found", 404);
  ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified);
  ExpectRefused(first, 1);
  for (std::size_t length : {std::size_t(0), signature.size() / 2, signature.size() - 10}) {
    server.Serve("/pkg.json.minisig", signature.substr(0, length));
    ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified) << length;
    ExpectRefused(first, 1);
  }
}

TEST_F(SignedUpdateTest, AnAlteredTrustedCommentIsRefused) {
  Release first = InstallFirst();
  Release second = MakeRelease("2");
  std::string signature = Sign(key, second.manifest);
  signature.replace(signature.find("1700000000"), 10, "1800000000");
  Serve(second, signature);
  ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified);
  ExpectRefused(first, 1);
}

TEST_F(SignedUpdateTest, ASignedManifestMustPinThePackage) {
  Release first = InstallFirst();
  Release second = MakeRelease("2");
  second.manifest = ManifestText(server.Address("/GameClient.zip"), "bin/game.exe", std::nullopt);
  Serve(second, Sign(key, second.manifest));
  ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified);
  ExpectRefused(first, 1);
}

// The manifest is signed but the package on the way is another: it is
// deleted before anything of it is unpacked.
TEST_F(SignedUpdateTest, ATamperedPackageIsNeverUnpacked) {
  Release first = InstallFirst();
  Release second = MakeRelease("2");
  Release other = MakeRelease("evil");
  Serve(second, Sign(key, second.manifest));
  server.Serve("/GameClient.zip", other.package);
  ASSERT_EQ(RunAgain(), UpdateOutcome::PackageDownloadFailed);
  EXPECT_EQ(harness.view->Status(), kDownloadFailedText);
  EXPECT_TRUE(harness.state->m_bUpdating);
  EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
  EXPECT_EQ(ClientFile("bin/game.exe"), "game 1");
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), first.manifest);
  // Same size, one byte changed: only the hash can tell.
  std::string flipped = second.package;
  flipped[flipped.size() / 2] ^= 1;
  server.Serve("/GameClient.zip", flipped);
  ASSERT_EQ(RunAgain(), UpdateOutcome::PackageDownloadFailed);
  EXPECT_EQ(ClientFile("bin/game.exe"), "game 1");
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), first.manifest);

  server.Serve("/GameClient.zip", second.package);
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  EXPECT_EQ(ClientFile("bin/game.exe"), "game 2");
}

// Without a key a manifest that names the package's hash is checked all the
// same, and nothing else is asked for.
TEST_F(SignedUpdateTest, WithoutAKeyUpdatesWorkAsBeforeAndPinnedPackagesAreChecked) {
  harness.state->config.updateKey.reset();
  Release first = MakeRelease("1");
  server.Serve("/pkg.json", first.manifest);
  server.Serve("/GameClient.zip", MakeRelease("evil").package);
  ASSERT_EQ(Run(), UpdateOutcome::PackageDownloadFailed);
  EXPECT_FALSE(harness.MicroFileExists(L"pkg.json"));
  EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
  server.Serve("/GameClient.zip", first.package);
  harness.Restart();
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_EQ(ClientFile("bin/game.exe"), "game 1");
  EXPECT_EQ(server.Hits("/pkg.json.minisig"), 0);
}

#ifndef _WIN32
// Debian's minisign, where setup installed it, signs with a key of its own.
TEST_F(SignedUpdateTest, ReleasesSignedWithMinisignInstall) {
  if (std::system("minisign -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "no minisign";
  Release first = MakeRelease("1");
  scratch.Write(L"pkg.json", first.manifest);
  std::string dir = scratch.Path().string();
  for (const char* legacy : {"", "-l"}) {
    std::string command =
        "cd '" + dir + "' && rm -f m.pub m.key && minisign -G -W -p m.pub -s m.key" +
        " >/dev/null && minisign -S " + legacy + " -s m.key -m pkg.json -t 'release 1' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    harness.Restart();
    harness.state->config.updateKey = ReadPublicKeyText(scratch.Read(L"m.pub"));
    ASSERT_TRUE(harness.state->config.updateKey.has_value());
    harness.WriteMicroFile(L"pkg.json", "installed before");
    Serve(first, scratch.Read(L"pkg.json.minisig"));
    ASSERT_EQ(Run(), UpdateOutcome::Installed) << legacy;
    EXPECT_EQ(ClientFile("bin/game.exe"), "game 1");
  }
}
#endif

}  // namespace
