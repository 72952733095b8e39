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
        otherKey(*GenerateMinisignKeyPair()),
        configuredKeys{key.publicKey} {
    UseKey();
  }

  void UseKey() { harness.state->config.updateKeys = configuredKeys; }

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

  // Content `content` as manifest version `version`.
  Release Versioned(const std::string& content, std::uint64_t version,
                    std::optional<std::string> expires = std::nullopt,
                    std::vector<std::string> updateKeys = {}) {
    Release release = MakeRelease(content);
    ManifestExtras guards{version, std::move(expires), std::move(updateKeys), {}};
    release.manifest =
        ManifestText(server.Address("/GameClient.zip"), "bin/game.exe",
                     IdentifyPackage(scratch.Path() / ("release-" + content + ".zip")), guards);
    return release;
  }

  // Signed by Debian's minisign with the same key where setup installed it.
  std::string SignRelease(const MinisignKeyPair& by, const std::string& manifest) {
#ifndef _WIN32
    if (std::system("minisign -v >/dev/null 2>&1") == 0) {
      scratch.Write(L"signing.key", FormatSecretKeyFile(by.secretKey));
      scratch.Write(L"pkg.json", manifest);
      std::string command = "cd '" + scratch.Path().string() +
                            "' && minisign -S -s signing.key -m pkg.json >/dev/null";
      EXPECT_EQ(std::system(command.c_str()), 0) << command;
      return scratch.Read(L"pkg.json.minisig");
    }
#endif
    return Sign(by, manifest);
  }

  void ServeSigned(const Release& release, const MinisignKeyPair& by) {
    Serve(release, SignRelease(by, release.manifest));
  }

  bool Traced(const std::wstring& text) const {
    return harness.trace.Text().find(text) != std::wstring::npos;
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
  void ExpectRefused(const Release& installed, int packageHitsBefore,
                     const std::string& client = "game 1") {
    EXPECT_EQ(harness.view->Status(), kManifestUnverifiedText);
    EXPECT_TRUE(harness.state->m_bUpdating);
    EXPECT_EQ(harness.state->m_exePath.load(), nullptr);
    EXPECT_EQ(harness.state->m_newManifestText.load(), nullptr);
    EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), installed.manifest);
    EXPECT_EQ(ClientFile("bin/game.exe"), client);
    EXPECT_EQ(server.Hits("/GameClient.zip"), packageHitsBefore);
    EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
  }

  HttpTestServer server;
  TempDir scratch;
  std::shared_ptr<platform::HttpTransport> downloader;
  UpdateHarness harness;
  MinisignKeyPair key;
  MinisignKeyPair otherKey;
  std::vector<MinisignPublicKey> configuredKeys;
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
  configuredKeys.clear();
  harness.state->config.updateKeys.clear();
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

// Someone on the way replays older signed manifests: only a higher version
// moves the client, even back to older content.
TEST_F(SignedUpdateTest, OnlyAHigherVersionInstalls) {
  ServeSigned(Versioned("1", 1), key);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  Release second = Versioned("2", 2);
  ServeSigned(second, key);
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  std::string trust = harness.ReadMicroFile(L"trust.json");
  int hits = server.Hits("/GameClient.zip");
  const std::pair<Release, const wchar_t*> refused[] = {
      {Versioned("1", 1), L"version 1 is below 2"},
      {Versioned("2b", 2), L"version 2 was accepted with other bytes"},
      {MakeRelease("3"), L"no version after version 2"}};
  for (const auto& [release, reason] : refused) {
    ServeSigned(release, key);
    ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified) << release.manifest;
    ExpectRefused(second, hits, "game 2");
    EXPECT_TRUE(Traced(reason)) << harness.trace.Text();
    EXPECT_EQ(harness.ReadMicroFile(L"trust.json"), trust);
  }
  // The operator's way back: the old content under a higher version.
  ServeSigned(Versioned("1", 3), key);
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  EXPECT_EQ(ClientFile("bin/game.exe"), "game 1");
  // Without a key the version is read but asks for nothing.
  configuredKeys.clear();
  Serve(Versioned("2", 2), "");
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  EXPECT_EQ(ClientFile("bin/game.exe"), "game 2");
}

TEST_F(SignedUpdateTest, AnExpiredManifestIsRefusedWithItsOwnText) {
  ServeSigned(Versioned("1", 1, "2001-01-01T00:00:00Z"), key);
  ASSERT_EQ(Run(), UpdateOutcome::ManifestUnverified);
  EXPECT_EQ(harness.view->Status(), kManifestExpiredText);
  EXPECT_TRUE(Traced(L"expired at 2001-01-01T00:00:00Z"));
  EXPECT_TRUE(harness.state->m_bUpdating);
  EXPECT_FALSE(harness.MicroFileExists(L"pkg.json"));
  EXPECT_FALSE(harness.MicroFileExists(L"trust.json"));
  EXPECT_EQ(server.Hits("/GameClient.zip"), 0);
  ServeSigned(Versioned("1", 1, "2100-01-01T00:00:00Z"), key);
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
}

// Key A signs v4, which names B; from then on B alone signs.
TEST_F(SignedUpdateTest, AManifestSignedWithTheOldKeyHandsOverToTheNew) {
  std::string keyB = FormatMinisignPublicKey(otherKey.publicKey);
  ServeSigned(Versioned("4", 4, std::nullopt, {keyB}), key);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  Release fifth = Versioned("5", 5);
  ServeSigned(fifth, otherKey);
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  EXPECT_EQ(ClientFile("bin/game.exe"), "game 5");
  std::string trust = harness.ReadMicroFile(L"trust.json");
  EXPECT_NE(trust.find(keyB), std::string::npos);
  ServeSigned(Versioned("6", 6), key);
  ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified);
  ExpectRefused(fifth, server.Hits("/GameClient.zip"), "game 5");
  EXPECT_TRUE(Traced(L"signed with another key"));
  EXPECT_EQ(harness.ReadMicroFile(L"trust.json"), trust);
}

TEST_F(SignedUpdateTest, EitherOfTwoConfiguredKeysSigns) {
  configuredKeys = {key.publicKey, otherKey.publicKey};
  UseKey();
  ServeSigned(Versioned("1", 1), otherKey);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ServeSigned(Versioned("2", 2), key);
  ASSERT_EQ(RunAgain(), UpdateOutcome::Installed);
  EXPECT_EQ(ClientFile("bin/game.exe"), "game 2");
}

// Starting afresh would forget the floor and the keys: a record that cannot
// be read refuses until someone removes it.
TEST_F(SignedUpdateTest, AnUnreadableTrustRecordRefusesUpdates) {
  Release first = InstallFirst();
  for (const char* record : {"", "{\"version\": 7, \"manifest_sha", "\x01garbage"}) {
    harness.WriteMicroFile(L"trust.json", record);
    ServeSigned(Versioned("2", 2), key);
    ASSERT_EQ(RunAgain(), UpdateOutcome::ManifestUnverified);
    ExpectRefused(first, 1);
    EXPECT_TRUE(Traced(L"trust.json unreadable"));
    EXPECT_EQ(harness.ReadMicroFile(L"trust.json"), record);
  }
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
    std::optional<MinisignPublicKey> theirs = ReadPublicKeyText(scratch.Read(L"m.pub"));
    ASSERT_TRUE(theirs.has_value());
    harness.state->config.updateKeys = {*theirs};
    harness.WriteMicroFile(L"pkg.json", "installed before");
    Serve(first, scratch.Read(L"pkg.json.minisig"));
    ASSERT_EQ(Run(), UpdateOutcome::Installed) << legacy;
    EXPECT_EQ(ClientFile("bin/game.exe"), "game 1");
  }
}
#endif

}  // namespace
