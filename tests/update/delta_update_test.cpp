// Updates over an earlier install that fetch only the entries that changed:
// the launcher's own update workers against a static site that answers range
// requests (the one behind micro-pkg serve), and what happens to each doubt.
// The server's header first: on Windows winsock2.h must precede windows.h.
#include "http_test_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <utility>

#include "fakes/small_disk_files.h"
#include "files/chunk_index.h"
#include "files/zip_reader.h"
#include "minisign_signer.h"
#include "package_builder.h"
#include "platform/archive_files.h"
#include "platform/http_transport.h"
#include "platform/text_codec.h"
#include "static_site.h"
#include "update_harness.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;

// In front of the system transport: records the range each request asked
// for ("" for the whole file) and the body bytes that came, and can spoil a
// byte in the middle of the next bounded range, as a bad link would.
class WatchingTransport final : public platform::HttpTransport {
 public:
  explicit WatchingTransport(std::shared_ptr<platform::HttpTransport> inner)
      : inner_(std::move(inner)) {}

  platform::TransportResult Get(const platform::HttpRequest& request,
                                platform::HttpReceiver& receiver) override {
    platform::HttpRequest sent = request;
    bool spoil = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (request.url.find(L"GameClient.zip.chunks") != std::wstring::npos) {
        ++indexRequests_;
        if (refuseRangesAfterIndex_) refuseRanges_ = true;
      } else if (request.url.find(L"GameClient.zip") != std::wstring::npos) {
        ranges_.push_back(request.byteRange);
      }
      if (forgedFileSize_ > 0 && !request.byteRange.empty() && request.byteRange[0] == '-') {
        return AnswerEmptyDirectory(std::exchange(forgedFileSize_, 0), receiver);
      }
      bool several = request.byteRange.find(',') != std::string::npos;
      if (refuseRanges_ || (refuseSeveralRanges_ && several)) sent.byteRange.clear();
      spoil = spoilNextRange_ && !request.byteRange.empty() && request.byteRange[0] != '-';
      if (spoil) spoilNextRange_ = false;
    }
    Counter counter(receiver, spoil);
    platform::TransportResult result = inner_->Get(sent, counter);
    std::lock_guard<std::mutex> lock(mutex_);
    bytes_ += counter.bytes;
    return result;
  }

  // Answers the next request for the file's tail, itself, with an end record
  // of no entries, in a 206 that fits a file of `fileSize` bytes.
  void ForgeEmptyDirectory(std::uint64_t fileSize) {
    std::lock_guard<std::mutex> lock(mutex_);
    forgedFileSize_ = fileSize;
  }
  void SpoilNextRange() {
    std::lock_guard<std::mutex> lock(mutex_);
    spoilNextRange_ = true;
  }
  // Sends every request without its Range header.
  void RefuseRanges() {
    std::lock_guard<std::mutex> lock(mutex_);
    refuseRanges_ = true;
  }
  // Once the chunk index was asked for, sends every request without its
  // Range header.
  void RefuseRangesAfterIndex() {
    std::lock_guard<std::mutex> lock(mutex_);
    refuseRangesAfterIndex_ = true;
  }
  int IndexRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return indexRequests_;
  }
  // Sends requests for several ranges without their Range header.
  void RefuseSeveralRanges() {
    std::lock_guard<std::mutex> lock(mutex_);
    refuseSeveralRanges_ = true;
  }
  // The package requests so far, and forgets them.
  std::vector<std::string> TakeRanges() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(ranges_, {});
  }
  std::uint64_t TakeBytes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(bytes_, 0);
  }

 private:
  class Counter final : public platform::HttpReceiver {
   public:
    Counter(platform::HttpReceiver& inner, bool spoil) : inner_(inner), spoil_(spoil) {}
    bool OnHead(const platform::HttpHead& head) override {
      spoilAt_ = head.contentLength.value_or(0) / 2;
      return inner_.OnHead(head);
    }
    bool OnBody(const char* data, std::size_t size) override {
      std::string copy(data, size);
      if (spoil_ && spoilAt_ >= bytes && spoilAt_ < bytes + size) copy[spoilAt_ - bytes] ^= 0x5A;
      bytes += size;
      return inner_.OnBody(copy.data(), copy.size());
    }
    bool OnTick() override { return inner_.OnTick(); }

    std::uint64_t bytes = 0;

   private:
    platform::HttpReceiver& inner_;
    bool spoil_;
    std::uint64_t spoilAt_ = 0;
  };

  static platform::TransportResult AnswerEmptyDirectory(std::uint64_t fileSize,
                                                        platform::HttpReceiver& receiver) {
    constexpr std::uint64_t kEndRecordBytes = 22;
    std::uint64_t at = fileSize - kEndRecordBytes;
    std::string record("PK\x05\x06", 4);
    record.resize(kEndRecordBytes, '\0');
    for (int byte = 0; byte < 4; ++byte) record[16 + byte] = static_cast<char>(at >> (8 * byte));
    platform::HttpHead head;
    head.status = 206;
    head.contentLength = kEndRecordBytes;
    head.contentRange = "bytes " + std::to_string(at) + "-" + std::to_string(fileSize - 1) + "/" +
                        std::to_string(fileSize);
    head.etag = "\"forged\"";
    if (!receiver.OnHead(head) || !receiver.OnBody(record.data(), record.size())) {
      return platform::TransportOutcome::Stopped;
    }
    return platform::TransportOutcome::Ended;
  }

  std::shared_ptr<platform::HttpTransport> inner_;
  std::mutex mutex_;
  std::uint64_t forgedFileSize_ = 0;
  std::vector<std::string> ranges_;
  std::uint64_t bytes_ = 0;
  bool spoilNextRange_ = false;
  bool refuseRanges_ = false;
  bool refuseRangesAfterIndex_ = false;
  bool refuseSeveralRanges_ = false;
  int indexRequests_ = 0;
};

// micro-pkg serve's site on loopback, with a hook that runs as each request
// arrives, before it is answered.
class Site {
 public:
  Site() {
    StaticSiteOptions options;
    options.log = [this](const std::string& request) {
      std::function<void(const std::string&)> hook;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        hook = hook_;
      }
      if (hook) hook(request);
    };
    ServeStaticSite(server_, root.Path(), options);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~Site() {
    server_.stop();
    thread_.join();
  }

  std::string Address(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  void OnRequest(std::function<void(const std::string&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
  }

  TempDir root;

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::function<void(const std::string&)> hook_;
};

std::string Noise(int seed, std::size_t size) {
  std::mt19937 random(static_cast<unsigned>(seed));
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// Version 1: a directory, an executable, twelve incompressible parts and a
// compressible text. Version 2 changes part 3, adds new.bin and drops part
// 11; version 3 changes part 5 of version 2 and its size.
std::vector<ArchiveItem> ClientItems(int version) {
  std::vector<ArchiveItem> items;
  auto add = [&items](std::string name, std::string bytes, std::uint32_t mode = 0100644) {
    ArchiveItem item;
    item.name = std::move(name);
    item.bytes = std::move(bytes);
    item.unixMode = mode;
    item.modifiedTime = 1700000000;
    items.push_back(std::move(item));
  };
  add("bin/", "", 040755);
  add("bin/game.exe", "game", 0100755);
  for (int part = 0; part < 12; ++part) {
    if (part == 11 && version >= 2) continue;
    int seed = part;
    std::size_t size = 64 * 1024;
    if (part == 3 && version >= 2) seed = 103;
    // Another size too: a server's validator may see only whole seconds.
    if (part == 5 && version >= 3) {
      seed = 105;
      size += 1000;
    }
    add("data/part" + std::to_string(part) + ".bin", Noise(seed, size));
  }
  std::string text;
  for (int line = 0; line < 4000; ++line) text += "line " + std::to_string(line) + "\n";
  add("data/text.txt", text);
  if (version >= 2) add("data/new.bin", Noise(200, 20 * 1024));
  return items;
}

// Every regular file below `root` by its relative path, with its bytes.
std::map<std::string, std::string> TreeOf(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    std::string name = fs::relative(item.path(), root).generic_string();
    if (item.is_directory()) {
      tree[name + "/"] = "";
      continue;
    }
    std::ifstream in(item.path(), std::ios::binary);
    tree[name] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return tree;
}

class DeltaUpdateTest : public ::testing::Test {
 protected:
  DeltaUpdateTest()
      : transport(std::make_shared<WatchingTransport>(platform::MakeSystemTransport(
            {std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)}))),
        harness(transport, site.Address("/pkg.json"), &disk) {
    disk.free = kRoomyDisk;
  }

  static constexpr std::uint64_t kRoomyDisk = 1ull << 40;

  // Writes the package of `version` and a manifest that names it, pinned by
  // size and SHA-256 and listing its files (as micro-pkg build writes it)
  // unless `pinned` is false, and signed when the test has a key.
  void Publish(int version, bool pinned = true) {
    Publish(version, ClientItems(version), ClientItems(version), pinned);
  }

  // The manifest describes the package of `items`; `served` is what the site
  // serves in its place.
  void Publish(int version, const std::vector<ArchiveItem>& items,
               const std::vector<ArchiveItem>& served, bool pinned = true) {
    published = version;
    fs::create_directories(Package().parent_path());
    std::optional<PackageIdentity> identity;
    if (pinned) {
      ASSERT_TRUE(WriteZipArchive(Package(), items));
      identity = IdentifyPackage(Package());
      std::optional<std::vector<PackageFile>> files = DigestFiles(items);
      ASSERT_TRUE(identity && files);
      identity->files = *files;
    }
    ASSERT_TRUE(WriteZipArchive(Package(), served));
    std::string url = site.Address("/" + std::to_string(version) + "/GameClient.zip");
    std::string manifest = ManifestText(url, "bin/game.exe", identity);
    site.root.Write(L"pkg.json", manifest);
    if (!key) return;
    auto signature = SignMinisign(key->secretKey, manifest, MinisignAlgorithm::Prehashed,
                                  "signature from test key", "file:pkg.json");
    ASSERT_TRUE(signature.has_value());
    site.root.Write(L"pkg.json.minisig", FormatMinisignSignature(*signature));
  }

  // Each version's package has its own address, as its manifest's text must
  // change.
  fs::path Package() const {
    return site.root.Path() / std::to_string(published) / "GameClient.zip";
  }

  // v1 installed; v2's manifest is the honest one, but part 3 is served as
  // another file of its size: neither path may install it.
  void ExpectAForgedEntryRefused() {
    Publish(1);
    ASSERT_EQ(Run(), UpdateOutcome::Installed);
    transport->TakeRanges();
    std::vector<ArchiveItem> forged = ClientItems(2);
    for (ArchiveItem& item : forged) {
      if (item.name == "data/part3.bin") item.bytes = Noise(999, item.bytes.size());
    }
    Publish(2, ClientItems(2), forged);
    EXPECT_EQ(Run(), UpdateOutcome::PackageDownloadFailed);
    EXPECT_TRUE(FetchedWhole(transport->TakeRanges()));
    std::map<std::string, std::string> tree = TreeOf(ClientDirectory());
    EXPECT_TRUE(tree["data/part3.bin"] == Noise(3, 64 * 1024));
    EXPECT_NE(harness.trace.Text().find(L"更新包 SHA-256 不符"), std::wstring::npos);
  }

  // A launcher start; `verify` as with "--verify".
  UpdateOutcome Run(bool verify = false) {
    harness.Restart();
    harness.state->verifyFiles = verify;
    if (key) harness.state->config.updateKeys = {key->publicKey};
    harness.Start();
    auto outcome = harness.Wait();
    EXPECT_TRUE(outcome.has_value()) << "the update never ended";
    return outcome.value_or(UpdateOutcome::ManifestDownloadFailed);
  }

  fs::path ClientDirectory() const { return harness.dir.Path() / "micro" / "GameClient"; }

  // The installed tree holds `version`'s files (and any the package dropped).
  void ExpectInstalled(int version) {
    std::map<std::string, std::string> tree = TreeOf(ClientDirectory());
    for (const ArchiveItem& item : ClientItems(version)) {
      auto found = tree.find(item.name);
      ASSERT_NE(found, tree.end()) << item.name;
      EXPECT_TRUE(found->second == item.bytes) << item.name;
    }
    EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
    EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip.delta"));
  }

  static bool FetchedWhole(const std::vector<std::string>& ranges) {
    return std::find(ranges.begin(), ranges.end(), "") != ranges.end();
  }

  Site site;
  int published = 0;
  std::optional<MinisignKeyPair> key;
  std::shared_ptr<WatchingTransport> transport;
  SmallDisk disk;
  UpdateHarness harness;
};

TEST_F(DeltaUpdateTest, OnlyChangedAndAddedEntriesAreFetched) {
  Publish(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_TRUE(FetchedWhole(transport->TakeRanges()));
  transport->TakeBytes();
  // A kept file is not written again, so its time stays as set here.
  fs::path kept = ClientDirectory() / "data" / "part0.bin";
  auto marked = fs::last_write_time(kept) - std::chrono::hours(24 * 365);
  fs::last_write_time(kept, marked);

  Publish(2);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled(2);
  EXPECT_TRUE(fs::exists(ClientDirectory() / "data" / "part11.bin"));
  EXPECT_EQ(fs::last_write_time(kept), marked);
  std::vector<std::string> ranges = transport->TakeRanges();
  EXPECT_FALSE(FetchedWhole(ranges)) << platform::EncodeUtf8(harness.trace.Text());
  // The directory's tail, then part 3 and new.bin, two entries apart, in
  // one request.
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_NE(ranges[1].find(','), std::string::npos) << ranges[1];
  std::uint64_t bytes = transport->TakeBytes();
  EXPECT_LT(bytes, fs::file_size(Package()) / 4) << bytes << " of " << fs::file_size(Package());
  EXPECT_GT(bytes, 84u * 1024);
  EXPECT_EQ(harness.state->m_nProgress, 100);
  // The strip is gone, as after a full install.
  EXPECT_FALSE(harness.state->m_bShowProgress);
  EXPECT_FALSE(harness.view->StripVisible());
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), site.root.Read(L"pkg.json"));
  EXPECT_NE(harness.trace.Text().find(L"delta update: 13 entries kept, 2 fetched, "),
            std::wstring::npos)
      << platform::EncodeUtf8(harness.trace.Text());
}

TEST_F(DeltaUpdateTest, ATreeInstalledByRangesIsTheOneTheFullPathInstalls) {
  Publish(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  transport->TakeRanges();
  Publish(2);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  Publish(3);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_FALSE(FetchedWhole(transport->TakeRanges()));

  auto whole = std::make_shared<WatchingTransport>(platform::MakeSystemTransport());
  whole->RefuseRanges();
  UpdateHarness full(whole, site.Address("/pkg.json"));
  for (int version = 1; version <= 3; ++version) {
    Publish(version);
    full.Restart();
    full.Start();
    ASSERT_EQ(full.Wait(), UpdateOutcome::Installed);
  }
  std::vector<std::string> ranges = whole->TakeRanges();
  EXPECT_EQ(std::count(ranges.begin(), ranges.end(), ""), 3);
  auto delta = TreeOf(ClientDirectory());
  auto reference = TreeOf(full.dir.Path() / "micro" / "GameClient");
  EXPECT_EQ(delta.size(), reference.size());
  EXPECT_TRUE(delta == reference);
}

TEST_F(DeltaUpdateTest, APackageReplacedBetweenRequestsIsCaughtByItsValidator) {
  Publish(1, false);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  Publish(2, false);
  fs::path package = Package();
  int packageRequests = 0;
  site.OnRequest([&](const std::string& request) {
    if (request.find("/GameClient.zip") == std::string::npos) return;
    // After the directory came: the entries' request finds version 3.
    if (++packageRequests == 2) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ASSERT_TRUE(WriteZipArchive(package, ClientItems(3)));
    }
  });
  transport->TakeRanges();
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  site.OnRequest(nullptr);
  ExpectInstalled(3);
  std::vector<std::string> ranges = transport->TakeRanges();
  ASSERT_GE(ranges.size(), 3u);
  EXPECT_NE(ranges[ranges.size() - 2], "");
  EXPECT_EQ(ranges.back(), "");
}

TEST_F(DeltaUpdateTest, AServerWithoutMultipartAnswersGetsOneRequestARange) {
  Publish(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  transport->TakeRanges();
  transport->RefuseSeveralRanges();
  Publish(2);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled(2);
  std::vector<std::string> ranges = transport->TakeRanges();
  // The tail, both ranges (answered whole, so given up at once), then each.
  ASSERT_EQ(ranges.size(), 4u);
  EXPECT_EQ(ranges[2].find(','), std::string::npos);
  EXPECT_EQ(ranges[3].find(','), std::string::npos);
  EXPECT_FALSE(FetchedWhole(ranges));
}

TEST_F(DeltaUpdateTest, ACorruptRangeIsCaughtByItsCrcAndTheWholePackageInstalled) {
  Publish(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  Publish(2);
  transport->TakeRanges();
  transport->SpoilNextRange();
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled(2);
  std::vector<std::string> ranges = transport->TakeRanges();
  EXPECT_TRUE(FetchedWhole(ranges));
  EXPECT_EQ(ranges.back(), "");
}

TEST_F(DeltaUpdateTest, WithAKeyKeptAndFetchedEntriesAreTheSignedOnes) {
  key = GenerateMinisignKeyPair();
  ASSERT_TRUE(key.has_value());
  Publish(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  transport->TakeRanges();
  Publish(2);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled(2);
  EXPECT_FALSE(FetchedWhole(transport->TakeRanges()));
}

TEST_F(DeltaUpdateTest, WithAKeyAnEntryThatIsNotTheSignedOneNeverReachesTheClient) {
  key = GenerateMinisignKeyPair();
  ASSERT_TRUE(key.has_value());
  ExpectAForgedEntryRefused();
}

TEST_F(DeltaUpdateTest, WithoutAKeyAnEntryThatIsNotThePinnedOneNeverReachesTheClient) {
  ExpectAForgedEntryRefused();
}

// Someone on the way answers the directory's request with an end record of
// no entries, consistent with the signed size: nothing would be fetched, and
// the old files would stand as the new version.
TEST_F(DeltaUpdateTest, ADirectoryThatLeavesOutListedFilesIsNotTrusted) {
  key = GenerateMinisignKeyPair();
  ASSERT_TRUE(key.has_value());
  Publish(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  Publish(2);
  transport->ForgeEmptyDirectory(fs::file_size(Package()));
  transport->TakeRanges();
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled(2);
  EXPECT_TRUE(FetchedWhole(transport->TakeRanges()));
  EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), site.root.Read(L"pkg.json"));
}

// Many zip writers mark a directory only by the slash its name ends in: the
// range update keeps it as the reader makes it, a directory.
TEST_F(DeltaUpdateTest, ADirectoryMarkedOnlyByItsNameIsKept) {
  auto items = [](int version) {
    std::vector<ArchiveItem> client = ClientItems(version);
    client.front().unixMode = 0100644;
    return client;
  };
  Publish(1, items(1), items(1));
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  Publish(2, items(2), items(2));
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled(2);
  EXPECT_NE(harness.trace.Text().find(L"delta update: 13 entries kept, 2 fetched, "),
            std::wstring::npos)
      << platform::EncodeUtf8(harness.trace.Text());
}

// v1 shipped the game read-only and without its execute bit; v2 is the same
// bytes with both. Kept by ranges, the file would stay as v1 made it.
TEST_F(DeltaUpdateTest, AFileWhoseModeChangedIsInstalledWithTheNewMode) {
  std::vector<ArchiveItem> first = ClientItems(1);
  first[1].unixMode = 0100444;
  Publish(1, first, first);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  fs::path game = ClientDirectory() / "bin" / "game.exe";
  ASSERT_EQ(fs::status(game).permissions() & fs::perms::owner_write, fs::perms::none);
  Publish(2);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_NE(fs::status(game).permissions() & fs::perms::owner_write, fs::perms::none);
#ifndef _WIN32
  EXPECT_NE(fs::status(game).permissions() & fs::perms::owner_exec, fs::perms::none);
#endif
  EXPECT_NE(harness.trace.Text().find(L"delta update: 12 entries kept, 3 fetched, "),
            std::wstring::npos)
      << platform::EncodeUtf8(harness.trace.Text());
}

// After the install an antivirus removes a file and a crash cuts another
// short; the player adds a file of his own. The next start, on the same
// manifest, fetches just the two and leaves his file alone.
TEST_F(DeltaUpdateTest, AMissingOrResizedFileIsRepairedAtTheNextStart) {
  Publish(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  transport->TakeRanges();
  transport->TakeBytes();
  fs::remove(ClientDirectory() / "data" / "part4.bin");
  fs::resize_file(ClientDirectory() / "data" / "part9.bin", 1000);
  std::ofstream(ClientDirectory() / "mine.txt") << "mine";

  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled(1);
  EXPECT_TRUE(fs::exists(ClientDirectory() / "mine.txt"));
  EXPECT_FALSE(FetchedWhole(transport->TakeRanges()));
  EXPECT_LT(transport->TakeBytes(), fs::file_size(Package()) / 4);
  EXPECT_NE(harness.trace.Text().find(L"repair: 2 listed files"), std::wstring::npos)
      << platform::EncodeUtf8(harness.trace.Text());
  EXPECT_EQ(Run(), UpdateOutcome::ClientCurrent);
}

// A file of its listed size with other bytes passes every start's look at
// the sizes; the player's "--verify" run reads it and fetches just that one.
TEST_F(DeltaUpdateTest, AVerifyRunRepairsAFileOfTheRightSizeWithOtherBytes) {
  Publish(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  fs::path damaged = ClientDirectory() / "data" / "part4.bin";
  std::string other(fs::file_size(damaged), 'x');
  std::ofstream(damaged, std::ios::binary) << other;
  ASSERT_EQ(Run(), UpdateOutcome::ClientCurrent);
  transport->TakeRanges();
  transport->TakeBytes();

  disk.TakeOpens(L"");
  ASSERT_EQ(Run(true), UpdateOutcome::Installed);
  ExpectInstalled(1);
  // What the verify found right is not read again by the repair.
  EXPECT_EQ(disk.TakeOpens(L"part7.bin"), 1u);
  EXPECT_FALSE(FetchedWhole(transport->TakeRanges()));
  EXPECT_LT(transport->TakeBytes(), fs::file_size(Package()) / 4);
  EXPECT_TRUE(harness.view->StripShownEver());
  EXPECT_NE(harness.trace.Text().find(L"verify: 1 of 14 listed files differ"), std::wstring::npos)
      << platform::EncodeUtf8(harness.trace.Text());
  EXPECT_EQ(Run(true), UpdateOutcome::ClientCurrent);
}

// v2 did not fit the disk, so its package stays; v3 then installs by ranges.
// That package is v2's, not v3's: it must neither outlive v3's install nor be
// unpacked at a later start.
TEST_F(DeltaUpdateTest, AKeptPackageNeverOutlivesALaterInstall) {
  Publish(1, false);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  disk.free = 1000;
  Publish(2, false);
  ASSERT_EQ(Run(), UpdateOutcome::DiskFull);
  ASSERT_TRUE(harness.MicroFileExists(L"GameClient.zip"));
  disk.free = kRoomyDisk;
  Publish(3, false);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled(3);
  EXPECT_EQ(Run(), UpdateOutcome::ClientCurrent);
  ExpectInstalled(3);
}

#ifndef _WIN32
// Python's http.server knows no ranges: it answers every request with 200.
class PythonServer {
 public:
  explicit PythonServer(const fs::path& root) : port_(UnusedPort()) {
    std::string program = "python3";
    std::string module = "-m";
    std::string name = "http.server";
    std::string port = std::to_string(port_);
    std::string bind = "--bind";
    std::string address = "127.0.0.1";
    std::string directoryOption = "--directory";
    std::string directory = root.string();
    char* argv[] = {
        program.data(), module.data(),          name.data(),      port.data(), bind.data(),
        address.data(), directoryOption.data(), directory.data(), nullptr};
    // Its log and the broken pipes of refused answers are no test output.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid_, "python3", &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    httplib::Client probe("127.0.0.1", port_);
    probe.set_connection_timeout(1);
    for (int attempt = 0; attempt < 100 && !ready_; ++attempt) {
      ready_ = static_cast<bool>(probe.Get("/"));
      if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~PythonServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  bool Ready() const { return ready_; }
  std::string Address(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  int port_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

TEST_F(DeltaUpdateTest, AServerWithoutRangesGetsTheWholePackageAsked) {
  PythonServer python(site.root.Path());
  ASSERT_TRUE(python.Ready());
  UpdateHarness plain(transport, python.Address("/pkg.json"));
  for (int version = 1; version <= 2; ++version) {
    Publish(version);
    std::string url = python.Address("/" + std::to_string(version) + "/GameClient.zip");
    site.root.Write(L"pkg.json", ManifestText(url, "bin/game.exe", IdentifyPackage(Package())));
    plain.Restart();
    plain.Start();
    ASSERT_EQ(plain.Wait(), UpdateOutcome::Installed);
  }
  std::vector<std::string> ranges = transport->TakeRanges();
  // The first install, then the refused tail and the whole package.
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[0], "");
  EXPECT_EQ(ranges[1][0], '-');
  EXPECT_EQ(ranges[2], "");
  EXPECT_TRUE(TreeOf(plain.dir.Path() / "micro" / "GameClient").count("data/new.bin") == 1);
}
#endif

// Text-like bytes, compressible as game assets are: words of a small
// vocabulary in an order no two seeds share.
std::string Words(int seed, std::size_t size) {
  static const char* const kWords[] = {"map ",  "tile ",  "sprite ", "mesh ",  "sound ", "level ",
                                       "npc ",  "quest ", "item ",   "skill ", "zone ",  "shader ",
                                       "bone ", "clip ",  "font ",   "glyph "};
  std::mt19937 random(static_cast<unsigned>(seed));
  std::string text;
  while (text.size() < size) text += kWords[random() % 16];
  text.resize(size);
  return text;
}

constexpr std::size_t kMiB = 1024 * 1024;

// Packages as micro-pkg build writes them: files of 1 MiB and more deflated
// in chunks, the index beside the package, both named in the manifest.
class ChunkedUpdateTest : public DeltaUpdateTest {
 protected:
  // `alter` changes the index before it is written; `listedIndexSha256`,
  // when not empty, is what the manifest says the index's SHA-256 is.
  void PublishChunked(int version, const std::vector<ArchiveItem>& items,
                      const std::function<void(ChunkIndex&)>& alter = {},
                      const std::string& listedIndexSha256 = "") {
    published = version;
    fs::create_directories(Package().parent_path());
    std::optional<ChunkIndex> index = WriteChunkedZipArchive(Package(), items, kMiB);
    ASSERT_TRUE(index && !index->entries.empty());
    if (alter) alter(*index);
    fs::path indexPath = Package();
    indexPath += ".chunks";
    std::ofstream(indexPath, std::ios::binary) << WriteChunkIndex(*index);
    std::optional<PackageIdentity> identity = IdentifyPackage(Package());
    std::optional<PackageIdentity> indexIdentity = IdentifyPackage(indexPath);
    std::optional<std::vector<PackageFile>> files = DigestFiles(items);
    ASSERT_TRUE(identity && indexIdentity && files);
    identity->files = *files;
    identity->chunksSize = indexIdentity->size;
    identity->chunksSha256 = listedIndexSha256.empty() ? indexIdentity->sha256 : listedIndexSha256;
    std::string url = site.Address("/" + std::to_string(version) + "/GameClient.zip");
    site.root.Write(L"pkg.json", ManifestText(url, "bin/game.exe", identity));
    installing = items;
  }

  // Installs `first`, then `second` by ranges: the bytes that took.
  std::uint64_t Update(const std::vector<ArchiveItem>& first,
                       const std::vector<ArchiveItem>& second) {
    PublishChunked(1, first);
    EXPECT_EQ(Run(), UpdateOutcome::Installed);
    transport->TakeRanges();
    transport->TakeBytes();
    PublishChunked(2, second);
    EXPECT_EQ(Run(), UpdateOutcome::Installed);
    ExpectInstalled();
    EXPECT_FALSE(FetchedWhole(transport->TakeRanges()));
    return transport->TakeBytes();
  }

  // The client is exactly the last published items, and nothing of the
  // update is left in micro/.
  void ExpectInstalled() {
    std::map<std::string, std::string> tree = TreeOf(ClientDirectory());
    for (const ArchiveItem& item : installing) {
      EXPECT_TRUE(tree[item.name] == item.bytes) << item.name;
    }
    EXPECT_EQ(tree.size(), installing.size() + 2);  // bin/ and data/
    EXPECT_EQ(harness.ReadMicroFile(L"pkg.json"), site.root.Read(L"pkg.json"));
    for (const auto& file : fs::directory_iterator(harness.dir.Path() / "micro")) {
      EXPECT_EQ(file.path().filename().string().rfind("GameClient.zip", 0), std::string::npos)
          << file.path();
    }
  }

  // The compressed size of `name` in the last published package.
  std::uint64_t CompressedSize(const std::string& name) {
    std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
    ZipReaderHandle reader = ZipReader::Open(*files, Package().wstring());
    ArchiveEntry entry;
    for (int index = 0; ZipReader::GetEntry(reader.get(), index, &entry) == ArchiveOk; ++index) {
      if (platform::EncodeUtf8(entry.name) == name) return entry.compressedSize;
    }
    ADD_FAILURE() << name;
    return 0;
  }

  // The chunks the trace says were reused and fetched; none when the
  // update used no chunks.
  std::optional<std::pair<int, int>> ChunksTraced() {
    std::wstring text = harness.trace.Text();
    std::size_t at = text.rfind(L"; chunks: ");
    if (at == std::wstring::npos) return std::nullopt;
    int reused = 0;
    int fetched = 0;
    if (std::swscanf(text.c_str() + at, L"; chunks: %d reused, %d fetched", &reused, &fetched) !=
        2) {
      return std::nullopt;
    }
    return std::make_pair(reused, fetched);
  }

  bool Traced(const std::wstring& text) {
    return harness.trace.Text().find(text) != std::wstring::npos;
  }

  static ArchiveItem Item(std::string name, std::string bytes) {
    ArchiveItem item;
    item.name = std::move(name);
    item.bytes = std::move(bytes);
    item.modifiedTime = 1700000000;
    return item;
  }

  // A small executable, `pack` as data/pack.bin and `other`, when there
  // is one, as data/other.bin.
  static std::vector<ArchiveItem> Client(std::string pack, std::string other = "") {
    std::vector<ArchiveItem> items{Item("bin/game.exe", "game"),
                                   Item("data/pack.bin", std::move(pack))};
    if (!other.empty()) items.push_back(Item("data/other.bin", std::move(other)));
    return items;
  }

  // A pack file changed a little beside a larger one that stays: fetched
  // whole, the pack file is less than half the package.
  void PublishSmallChange(int version, const std::function<void(ChunkIndex&)>& alter = {},
                          const std::string& listedIndexSha256 = "") {
    std::string pack = Words(1, 2 * kMiB);
    if (version > 1) pack.replace(kMiB, 1000, Words(version, 1000));
    PublishChunked(version, Client(pack, Words(9, 5 * kMiB)), alter, listedIndexSha256);
  }

  std::vector<ArchiveItem> installing;
};

TEST_F(ChunkedUpdateTest, AMebibyteChangedInALargeFileFetchesLittleMoreThanItsChunks) {
  std::string pack = Words(1, 6 * kMiB);
  std::string changed = pack;
  changed.replace(3 * kMiB, kMiB, Words(2, kMiB));
  std::uint64_t bytes = Update(Client(pack), Client(changed));
  std::uint64_t entry = CompressedSize("data/pack.bin");
  EXPECT_LT(bytes, entry / 3) << bytes << " of " << entry;
  std::optional<std::pair<int, int>> chunks = ChunksTraced();
  ASSERT_TRUE(chunks) << platform::EncodeUtf8(harness.trace.Text());
  EXPECT_GT(chunks->first, 3 * chunks->second);
}

TEST_F(ChunkedUpdateTest, BytesInsertedAtTheStartShiftTheRestWithoutRefetchingIt) {
  std::string pack = Words(1, 6 * kMiB);
  std::uint64_t bytes = Update(Client(pack), Client(Words(3, 4096) + pack));
  std::uint64_t entry = CompressedSize("data/pack.bin");
  EXPECT_LT(bytes, entry / 10) << bytes << " of " << entry;
}

// Version 2 moves two mebibytes from the middle of one file into another.
TEST_F(ChunkedUpdateTest, AChunkMovedToAnotherFileIsTakenFromThere) {
  std::string a = Words(1, 4 * kMiB);
  std::string b = Words(2, 3 * kMiB);
  std::string moved = a.substr(kMiB, 2 * kMiB);
  Update(Client(a, b), Client(a.substr(0, kMiB) + a.substr(3 * kMiB),
                              b.substr(0, kMiB) + moved + b.substr(kMiB)));
  std::optional<std::pair<int, int>> chunks = ChunksTraced();
  ASSERT_TRUE(chunks) << platform::EncodeUtf8(harness.trace.Text());
  // The chunks about the three seams, fewer than the moved bytes' alone.
  EXPECT_LT(chunks->second, 24) << platform::EncodeUtf8(harness.trace.Text());
}

TEST_F(ChunkedUpdateTest, AnIndexThatIsNotTheManifestsIsNotUsed) {
  PublishSmallChange(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  transport->TakeRanges();
  PublishSmallChange(2, {}, std::string(64, 'a'));
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled();
  EXPECT_FALSE(FetchedWhole(transport->TakeRanges()));
  EXPECT_TRUE(Traced(L"chunked update not used: the index is not the SHA-256 the manifest lists"))
      << platform::EncodeUtf8(harness.trace.Text());
  EXPECT_FALSE(ChunksTraced());
}

// The index is the manifest's, but it says a chunk has another SHA-256
// than the bytes its builder deflated.
TEST_F(ChunkedUpdateTest, AChunkThatInflatesToOtherBytesFetchesTheEntryWhole) {
  PublishSmallChange(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  transport->TakeRanges();
  PublishSmallChange(2, [](ChunkIndex& index) {
    for (IndexedEntry& entry : index.entries) {
      if (entry.name == "data/pack.bin") entry.chunks[16].sha256[0] ^= 1;
    }
  });
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled();
  std::vector<std::string> ranges = transport->TakeRanges();
  EXPECT_FALSE(FetchedWhole(ranges)) << platform::EncodeUtf8(harness.trace.Text());
  EXPECT_TRUE(Traced(L"chunked update not used for data/pack.bin: chunk "))
      << platform::EncodeUtf8(harness.trace.Text());
  EXPECT_FALSE(ChunksTraced());
}

// A server that stops answering ranges after the index: the chunks' request
// gets the whole file, so the whole package is installed instead.
TEST_F(ChunkedUpdateTest, RangesRefusedAfterTheIndexLeaveItToTheFullDownload) {
  PublishSmallChange(1);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  transport->TakeRanges();
  transport->RefuseRangesAfterIndex();
  PublishSmallChange(2);
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  ExpectInstalled();
  EXPECT_EQ(transport->IndexRequests(), 1);
  EXPECT_TRUE(FetchedWhole(transport->TakeRanges()));
}

}  // namespace
