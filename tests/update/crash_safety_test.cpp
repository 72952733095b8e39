// Kills an updating process at chosen moments of the download and of the
// unpacking, then lets the next start finish: the client must always end up
// complete and the recorded manifest must be the served one.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "files/chunk_index.h"
#include "files/trust_record.h"
#include "http_test_server.h"
#include "minisign_signer.h"
#include "package_builder.h"
#include "platform/archive_files.h"
#include "platform/text_codec.h"
#include "static_site.h"
#include "temp_dir.h"
#include "zip_builder.h"

extern char** environ;

namespace {

constexpr int kFiles = 64;
constexpr std::size_t kFileBytes = 48 * 1024;

std::string FileContent(int version, int file) {
  std::mt19937 random(static_cast<unsigned>(version * 1000 + file));
  std::string bytes(kFileBytes, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string FileName(int file) {
  return "data/part" + std::to_string(file) + ".bin";
}

// Where a driver stops itself so that it can be killed there: once `marker`
// has been traced `count` times. None when `count` is 0.
struct StopPoint {
  std::string marker;
  int count = 0;
};

// A running driver whose standard output is read as it comes.
class Driver {
 public:
  // With `updateKey` (a public-key line) the update is signed.
  Driver(const std::string& executablePath, const std::string& manifestUrl,
         const StopPoint& stop = {}, std::string updateKey = "") {
    std::vector<std::string> settings;
    for (char** variable = environ; *variable; ++variable) settings.emplace_back(*variable);
    if (stop.count > 0) {
      settings.push_back("QELT_STOP_AT=" + stop.marker);
      settings.push_back("QELT_STOP_COUNT=" + std::to_string(stop.count));
    }
    std::vector<char*> environment;
    for (std::string& setting : settings) environment.push_back(setting.data());
    environment.push_back(nullptr);
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::string program = QELT_UPDATE_DRIVER;
    std::string path = executablePath;
    std::string url = manifestUrl;
    char* argv[] = {program.data(), path.data(), url.data(),
                    updateKey.empty() ? nullptr : updateKey.data(), nullptr};
    EXPECT_EQ(posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environment.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    output_ = fds[0];
  }
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;
  ~Driver() {
    ::close(output_);
    if (pid_ > 0) Kill();
  }

  // Reads output until `marker` has appeared `count` times; false when the
  // output ends first.
  bool WaitFor(const std::string& marker, int count) {
    char buffer[4096];
    for (;;) {
      std::size_t at = seen_.find(marker);
      while (at != std::string::npos) {
        seen_.erase(0, at + marker.size());
        if (--count == 0) return true;
        at = seen_.find(marker);
      }
      if (seen_.size() > marker.size()) seen_.erase(0, seen_.size() - marker.size());
      ssize_t n = ::read(output_, buffer, sizeof buffer);
      if (n <= 0) return false;
      seen_.append(buffer, static_cast<std::size_t>(n));
    }
  }

  // Kills the driver where it stopped; false when it ended before the point.
  bool KillAt(const StopPoint& stop) {
    if (!WaitFor(stop.marker, stop.count)) return false;
    Kill();
    return true;
  }

  void Kill() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // The exit status once it ends by itself.
  int Finish() {
    while (WaitFor("\n", 1)) {
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  std::string seen_;
};

class CrashSafetyTest : public ::testing::Test {
 protected:
  // Publishes `version`: a new package and a manifest that names it. With
  // `brokenFile`, that file's data fails its CRC-32 (the same version then
  // names the same package address, so it is published broken or whole).
  void Publish(int version, std::optional<int> brokenFile = std::nullopt) {
    std::vector<ArchiveItem> items;
    for (int file = 0; file < kFiles; ++file) {
      ArchiveItem item;
      item.name = FileName(file);
      item.bytes = FileContent(version, file);
      items.push_back(std::move(item));
    }
    ASSERT_TRUE(WriteZipArchive(scratch.Path() / "GameClient.zip", items));
    std::string package = scratch.Read(L"GameClient.zip");
    if (brokenFile) {
      testzip::Put32(package,
                     testzip::FindSignature(package, testzip::kLocalHeader, *brokenFile) + 14,
                     0xDEADBEEF);
      testzip::Put32(package,
                     testzip::FindSignature(package, testzip::kCentralHeader, *brokenFile) + 16,
                     0xDEADBEEF);
    }
    std::string packagePath = "/v" + std::to_string(version) + "/GameClient.zip";
    manifest = ManifestText(server.Address(packagePath), FileName(0), {});
    server.Serve("/pkg.json", manifest);
    // About 3 MiB at some 25 MiB/s: long enough to be interrupted.
    server.Route(packagePath, [package](const httplib::Request&, httplib::Response& response) {
      response.set_content_provider(
          package.size(), "application/zip",
          [package](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            std::size_t length = std::min<std::size_t>(64 * 1024, package.size() - offset);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return sink.write(package.data() + offset, length);
          });
    });
  }

  void ExpectComplete(int version) {
    for (int file = 0; file < kFiles; ++file) {
      ASSERT_EQ(client.Read(L"micro/GameClient/" + platform::DecodeUtf8(FileName(file))),
                FileContent(version, file))
          << "file " << file << " of version " << version;
    }
    EXPECT_EQ(client.Read(L"micro/pkg.json"), manifest);
  }

  std::string ExecutablePath() const { return (client.Path() / "launcher").string(); }

  HttpTestServer server;
  TempDir scratch;
  TempDir client;
  std::string manifest;
};

TEST_F(CrashSafetyTest, AKilledUpdateIsCompletedByTheNextStart) {
  std::mt19937 random(20261209);
  const std::string manifestUrl = server.Address("/pkg.json");
  constexpr int kRounds = 24;
  for (int version = 1; version <= kRounds; ++version) {
    Publish(version);
    {
      bool duringUnpacking = version % 2 == 0;
      int entry = std::uniform_int_distribution<int>(1, kFiles)(random);
      // The package arrives in some 50 pieces, one notification each.
      int notification = std::uniform_int_distribution<int>(1, 40)(random);
      StopPoint stop =
          duringUnpacking ? StopPoint{"删除：", entry} : StopPoint{"SetProgress=", notification};
      Driver interrupted(ExecutablePath(), manifestUrl, stop);
      EXPECT_TRUE(interrupted.KillAt(stop)) << "round " << version;
    }
    Driver next(ExecutablePath(), manifestUrl);
    ASSERT_EQ(next.Finish(), 0) << "round " << version;
    ExpectComplete(version);
  }
}

// v1 is installed; v2 fails its CRC-32 halfway, killed at a random moment or
// left to fail; the operator then rolls the manifest back to v1's very text,
// and that run is killed too before one runs to its end. Whenever a run says
// the client is current, it must be all of v1: a client mixing both versions
// is never reported ready to start.
TEST_F(CrashSafetyTest, ARolledBackManifestNeverStartsAMixedClient) {
  std::mt19937 random(20261210);
  const std::string manifestUrl = server.Address("/pkg.json");
  Publish(1);
  {
    Driver first(ExecutablePath(), manifestUrl);
    ASSERT_EQ(first.Finish(), 0);
  }
  ExpectComplete(1);
  constexpr int kRounds = 8;
  for (int round = 0; round < kRounds; ++round) {
    int broken = std::uniform_int_distribution<int>(kFiles / 4, kFiles * 3 / 4)(random);
    Publish(2, broken);
    {
      StopPoint stop;
      if (round % 2 == 0) stop = {"删除：", std::uniform_int_distribution<int>(1, kFiles)(random)};
      Driver failing(ExecutablePath(), manifestUrl, stop);
      if (stop.count > 0) {
        failing.KillAt(stop);
      } else {
        EXPECT_NE(failing.Finish(), 0) << "round " << round;
      }
    }
    Publish(1);
    {
      StopPoint stop{"删除：", std::uniform_int_distribution<int>(1, kFiles)(random)};
      Driver(ExecutablePath(), manifestUrl, stop).KillAt(stop);
    }
    Driver next(ExecutablePath(), manifestUrl);
    ASSERT_EQ(next.Finish(), 0) << "round " << round;
    ExpectComplete(1);
  }
}

// Signed releases, each run killed at a random moment from its start to
// the middle of the download: micro/trust.json is always whole, at the old
// version or the new, and an older manifest is refused after the new one.
TEST_F(CrashSafetyTest, TheTrustRecordIsWholeAfterAKillAtAnyMoment) {
  std::optional<MinisignKeyPair> key = GenerateMinisignKeyPair();
  ASSERT_TRUE(key.has_value());
  const std::string keyLine = FormatMinisignPublicKey(key->publicKey);
  const std::string manifestUrl = server.Address("/pkg.json");
  auto publishSigned = [&](int version) {
    Publish(version);
    ManifestExtras guards;
    guards.version = static_cast<std::uint64_t>(version);
    manifest =
        ManifestText(server.Address("/v" + std::to_string(version) + "/GameClient.zip"),
                     FileName(0), IdentifyPackage(scratch.Path() / "GameClient.zip"), guards);
    server.Serve("/pkg.json", manifest);
    auto signature =
        SignMinisign(key->secretKey, manifest, MinisignAlgorithm::Prehashed, "test", "test");
    ASSERT_TRUE(signature.has_value());
    server.Serve("/pkg.json.minisig", FormatMinisignSignature(*signature));
  };
  auto trustedVersion = [&] {
    TrustFileReading reading =
        ReadTrustFile(*platform::MakeSystemArchiveFiles(), client.WideFile(L"micro/trust.json"));
    EXPECT_EQ(reading.status, TrustFileStatus::Ok);
    return reading.record.version.value_or(0);
  };
  publishSigned(1);
  ASSERT_EQ(Driver(ExecutablePath(), manifestUrl, {}, keyLine).Finish(), 0);
  std::mt19937 random(20261211);
  constexpr int kVersions = 5;
  for (int version = 2; version <= kVersions; ++version) {
    publishSigned(version);
    for (int kill = 0; kill < 4; ++kill) {
      Driver interrupted(ExecutablePath(), manifestUrl, {}, keyLine);
      std::this_thread::sleep_for(
          std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60000)(random)));
      interrupted.Kill();
      std::uint64_t trusted = trustedVersion();
      EXPECT_TRUE(trusted + 1 == static_cast<std::uint64_t>(version) ||
                  trusted == static_cast<std::uint64_t>(version))
          << "version " << version << ", trusted " << trusted;
    }
    ASSERT_EQ(Driver(ExecutablePath(), manifestUrl, {}, keyLine).Finish(), 0) << version;
    ExpectComplete(version);
    EXPECT_EQ(trustedVersion(), static_cast<std::uint64_t>(version));
  }
  std::string installed = manifest;
  publishSigned(kVersions - 1);
  EXPECT_NE(Driver(ExecutablePath(), manifestUrl, {}, keyLine).Finish(), 0);
  EXPECT_EQ(client.Read(L"micro/pkg.json"), installed);
  EXPECT_EQ(client.Read(L"micro/GameClient/" + platform::DecodeUtf8(FileName(0))),
            FileContent(kVersions, 0));
}

// The file's content in `version` when every eighth file changes with each
// version: the range update fetches those and keeps the rest.
std::string RangeUpdateContent(int version, int file) {
  int changed = version - ((version - file % 8) % 8 + 8) % 8;
  return FileContent(changed > 0 ? changed : 0, file);
}

// micro-pkg serve's site on loopback: ranges, several at once.
class RangeSite {
 public:
  RangeSite() {
    ServeStaticSite(server_, root.Path(), {});
    port_ = server_.bind_to_any_port("127.0.0.1");
    loop_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~RangeSite() {
    server_.stop();
    loop_.join();
  }
  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }

  TempDir root;

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread loop_;
};

TEST_F(CrashSafetyTest, AKilledRangeUpdateIsCompletedByTheNextStart) {
  RangeSite served;
  TempDir& site = served.root;
  const std::string address = served.Address();
  auto publish = [&](int version) {
    std::vector<ArchiveItem> items;
    for (int file = 0; file < kFiles; ++file) {
      ArchiveItem item;
      item.name = FileName(file);
      item.bytes = RangeUpdateContent(version, file);
      items.push_back(std::move(item));
    }
    std::string name = std::to_string(version) + ".zip";
    EXPECT_TRUE(WriteZipArchive(site.Path() / name, items));
    manifest = ManifestText(address + "/" + name, FileName(0), {});
    site.Write(L"pkg.json", manifest);
  };
  auto expectComplete = [&](int version) {
    for (int file = 0; file < kFiles; ++file) {
      ASSERT_EQ(client.Read(L"micro/GameClient/" + platform::DecodeUtf8(FileName(file))),
                RangeUpdateContent(version, file))
          << "file " << file << " of version " << version;
    }
    EXPECT_EQ(client.Read(L"micro/pkg.json"), manifest);
  };
  const std::string manifestUrl = address + "/pkg.json";
  publish(1);
  ASSERT_EQ(Driver(ExecutablePath(), manifestUrl).Finish(), 0);
  std::mt19937 random(20261209);
  for (int version = 2; version <= 9; ++version) {
    publish(version);
    {
      // Eight entries change: killed while it unpacks them.
      StopPoint stop{"删除：", std::uniform_int_distribution<int>(1, 7)(random)};
      EXPECT_TRUE(Driver(ExecutablePath(), manifestUrl, stop).KillAt(stop)) << "round " << version;
    }
    Driver next(ExecutablePath(), manifestUrl);
    EXPECT_TRUE(next.WaitFor("delta update: ", 1)) << "round " << version;
    ASSERT_EQ(next.Finish(), 0) << "round " << version;
    expectComplete(version);
  }
}

// Three large files, deflated in chunks; each version rewrites 256 KiB
// in each of them.
constexpr int kPacks = 3;
constexpr std::size_t kPackBytes = 2 * 1024 * 1024;
constexpr std::size_t kPatchBytes = 256 * 1024;

std::string PackContent(int version, int pack) {
  auto text = [](int seed, std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(seed));
    std::string bytes;
    while (bytes.size() < size) bytes += "row " + std::to_string(random() % 5000) + "\n";
    bytes.resize(size);
    return bytes;
  };
  std::string bytes = text(pack, kPackBytes);
  for (int patch = 2; patch <= version; ++patch) {
    std::size_t at = (static_cast<std::size_t>(patch) * 700 * 1024) % (kPackBytes - kPatchBytes);
    bytes.replace(at, kPatchBytes, text(patch * 10 + pack, kPatchBytes));
  }
  return bytes;
}

// Killed while the changed chunks arrive or between the files that replace
// the installed ones: a start that finds the old manifest finds the old
// files, and the next start finishes the update.
TEST_F(CrashSafetyTest, AKilledChunkedUpdateIsCompletedByTheNextStart) {
  RangeSite site;
  auto packName = [](int pack) { return "data/pack" + std::to_string(pack) + ".bin"; };
  std::map<int, std::string> manifests;
  auto publish = [&](int version) {
    std::vector<ArchiveItem> items;
    for (int pack = 0; pack < kPacks; ++pack) {
      ArchiveItem item;
      item.name = packName(pack);
      item.bytes = PackContent(version, pack);
      items.push_back(std::move(item));
    }
    std::filesystem::path package = site.root.Path() / (std::to_string(version) + ".zip");
    std::optional<ChunkIndex> index = WriteChunkedZipArchive(package, items, 1024 * 1024);
    ASSERT_TRUE(index && index->entries.size() == kPacks);
    std::filesystem::path indexPath = package;
    indexPath += ".chunks";
    site.root.Write(indexPath.filename().wstring(), WriteChunkIndex(*index));
    std::optional<PackageIdentity> identity = IdentifyPackage(package);
    std::optional<PackageIdentity> indexIdentity = IdentifyPackage(indexPath);
    std::optional<std::vector<PackageFile>> files = DigestFiles(items);
    ASSERT_TRUE(identity && indexIdentity && files);
    identity->files = *files;
    identity->chunksSize = indexIdentity->size;
    identity->chunksSha256 = indexIdentity->sha256;
    manifests[version] =
        ManifestText(site.Address() + "/" + package.filename().string(), packName(0), identity);
    site.root.Write(L"pkg.json", manifests[version]);
  };
  auto expectVersion = [&](int version, const std::string& when) {
    for (int pack = 0; pack < kPacks; ++pack) {
      ASSERT_TRUE(client.Read(L"micro/GameClient/" + platform::DecodeUtf8(packName(pack))) ==
                  PackContent(version, pack))
          << when << ": pack " << pack << " is not version " << version;
    }
  };
  const std::string manifestUrl = site.Address() + "/pkg.json";
  publish(1);
  ASSERT_EQ(Driver(ExecutablePath(), manifestUrl).Finish(), 0);
  std::mt19937 random(20261212);
  for (int version = 2; version <= 7; ++version) {
    std::string round = "round " + std::to_string(version);
    publish(version);
    StopPoint stop =
        version % 2 == 0
            ? StopPoint{"SetProgress=", std::uniform_int_distribution<int>(1, 3)(random)}
            : StopPoint{"删除：", std::uniform_int_distribution<int>(1, kPacks)(random)};
    EXPECT_TRUE(Driver(ExecutablePath(), manifestUrl, stop).KillAt(stop)) << round;
    if (client.Read(L"micro/pkg.json") == manifests[version - 1]) {
      expectVersion(version - 1, round + ", killed");
    }
    Driver next(ExecutablePath(), manifestUrl);
    EXPECT_TRUE(next.WaitFor("; chunks: ", 1)) << round;
    ASSERT_EQ(next.Finish(), 0) << round;
    expectVersion(version, round);
    EXPECT_EQ(client.Read(L"micro/pkg.json"), manifests[version]) << round;
  }
  for (const auto& file : std::filesystem::directory_iterator(client.Path() / "micro")) {
    EXPECT_EQ(file.path().filename().string().rfind("GameClient.zip", 0), std::string::npos)
        << file.path();
  }
}

// Release k's full version changes every file; its patch then changes every
// eighth file of it, so the patch installs by ranges over the full one.
std::string ReleaseContent(int release, bool patch, int file) {
  if (patch && file % 8 == 0) return FileContent(200 + release, file);
  return FileContent(release == 0 ? 1 : 100 + release, file);
}

// Each round: a full release killed while it unpacks, which leaves its
// package kept; its patch by ranges, killed at a random point or not; the
// patch once more; the manifest rolled back to the full release's text,
// killed too; and a last start. Every run that says the client is current
// must have exactly the tree of the manifest it was given: a kept package
// is never installed under another manifest.
TEST_F(CrashSafetyTest, AKeptPackageNeverOutlivesARangeUpdateOrARollback) {
  RangeSite site;
  std::map<std::string, std::string> manifests;
  std::string served;
  auto publish = [&](int release, bool patch) {
    std::string name = std::to_string(release) + (patch ? "p" : "") + ".zip";
    if (manifests.count(name) == 0) {
      std::vector<ArchiveItem> items;
      for (int file = 0; file < kFiles; ++file) {
        ArchiveItem item;
        item.name = FileName(file);
        item.bytes = ReleaseContent(release, patch, file);
        items.push_back(std::move(item));
      }
      EXPECT_TRUE(WriteZipArchive(site.root.Path() / name, items));
      manifests[name] = ManifestText(site.Address() + "/" + name, FileName(0), {});
    }
    site.root.Write(L"pkg.json", manifests[name]);
    served = name;
  };
  // Exactly the served release's files, and its manifest recorded.
  auto expectExactly = [&](int release, bool patch, const std::string& run) {
    std::size_t files = 0;
    for (const auto& item :
         std::filesystem::recursive_directory_iterator(client.Path() / "micro" / "GameClient")) {
      files += item.is_regular_file();
    }
    EXPECT_EQ(files, static_cast<std::size_t>(kFiles)) << run;
    for (int file = 0; file < kFiles; ++file) {
      ASSERT_TRUE(client.Read(L"micro/GameClient/" + platform::DecodeUtf8(FileName(file))) ==
                  ReleaseContent(release, patch, file))
          << run << ": file " << file << " is not " << served;
    }
    EXPECT_EQ(client.Read(L"micro/pkg.json"), manifests[served]) << run;
  };
  const std::string manifestUrl = site.Address() + "/pkg.json";
  std::mt19937 random(20261211);
  // Killed once `marker` has appeared `count` times; a run that ends first
  // and says the client is current must have the served tree.
  auto run = [&](int release, bool patch, const std::string& marker, int count,
                 const std::string& name) {
    StopPoint stop{marker, count};
    Driver driver(ExecutablePath(), manifestUrl, stop);
    if (stop.count > 0 && driver.KillAt(stop)) return;
    if (driver.Finish() == 0) expectExactly(release, patch, name);
  };
  auto randomPoint = [&random]() -> std::pair<std::string, int> {
    switch (std::uniform_int_distribution<int>(0, 2)(random)) {
      case 0:
        return {"SetProgress=", std::uniform_int_distribution<int>(1, 30)(random)};
      case 1:
        return {"删除：", std::uniform_int_distribution<int>(1, 8)(random)};
      default:
        return {"", 0};
    }
  };
  publish(0, false);
  ASSERT_EQ(Driver(ExecutablePath(), manifestUrl).Finish(), 0);
  constexpr int kRounds = 4;
  for (int release = 1; release <= kRounds; ++release) {
    std::string round = "round " + std::to_string(release);
    publish(release, false);
    // Late enough that the patch is fetched by ranges over what it left.
    run(release, false, "删除：",
        std::uniform_int_distribution<int>(kFiles * 5 / 8, kFiles)(random),
        round + ", full release");
    publish(release, true);
    auto [marker, count] = randomPoint();
    run(release, true, marker, count, round + ", patch");
    Driver patched(ExecutablePath(), manifestUrl);
    ASSERT_EQ(patched.Finish(), 0) << round;
    expectExactly(release, true, round + ", patch again");
    publish(release, false);
    std::tie(marker, count) = randomPoint();
    run(release, false, marker, count, round + ", rolled back");
    Driver last(ExecutablePath(), manifestUrl);
    ASSERT_EQ(last.Finish(), 0) << round;
    expectExactly(release, false, round + ", last start");
  }
}

// A 64 MiB package: a launcher killed at about half of it, and a connection
// the server drops at half, both continue where they stopped.
class ResumeTest : public CrashSafetyTest {
 protected:
  static constexpr int kLargeFiles = 16;
  static constexpr std::size_t kLargeFileBytes = 4 * 1024 * 1024;

  static std::string LargeContent(int file) {
    std::mt19937 random(static_cast<unsigned>(7000 + file));
    std::string bytes(kLargeFileBytes, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
  }

  // Publishes the package; the first `drops` answers end at its half.
  void PublishLarge(int drops) {
    std::vector<ArchiveItem> items;
    for (int file = 0; file < kLargeFiles; ++file) {
      ArchiveItem item;
      item.name = FileName(file);
      item.bytes = LargeContent(file);
      items.push_back(std::move(item));
    }
    ASSERT_TRUE(WriteZipArchive(scratch.Path() / "GameClient.zip", items));
    package = scratch.Read(L"GameClient.zip");
    manifest = ManifestText(server.Address("/GameClient.zip"), FileName(0), {});
    server.Serve("/pkg.json", manifest);
    server.ServeResumable("/GameClient.zip", package, "\"large-1\"", package.size() / 2, drops);
  }

  void ExpectLargeInstalled() {
    for (int file = 0; file < kLargeFiles; ++file) {
      ASSERT_TRUE(client.Read(L"micro/GameClient/" + platform::DecodeUtf8(FileName(file))) ==
                  LargeContent(file))
          << "file " << file;
    }
    EXPECT_EQ(client.Read(L"micro/pkg.json"), manifest);
    std::printf("the server sent %zu bytes for a package of %zu\n",
                server.BytesSent("/GameClient.zip"), package.size());
    EXPECT_LT(server.BytesSent("/GameClient.zip"), package.size() * 11 / 10);
  }

  std::string package;
};

TEST_F(ResumeTest, ALauncherKilledHalfwayContinuesThePackage) {
  PublishLarge(0);
  {
    StopPoint half{"SetProgress=50", 1};
    ASSERT_TRUE(Driver(ExecutablePath(), server.Address("/pkg.json"), half).KillAt(half));
  }
  EXPECT_LT(server.BytesSent("/GameClient.zip"), package.size());
  Driver next(ExecutablePath(), server.Address("/pkg.json"));
  ASSERT_EQ(next.Finish(), 0);
  ExpectLargeInstalled();
}

TEST_F(ResumeTest, AConnectionDroppedHalfwayIsContinuedInTheSameRun) {
  PublishLarge(1);
  Driver run(ExecutablePath(), server.Address("/pkg.json"));
  ASSERT_EQ(run.Finish(), 0);
  EXPECT_EQ(server.Hits("/GameClient.zip"), 2);
  ExpectLargeInstalled();
}

}  // namespace
