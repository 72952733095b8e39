// What a server may make the update receive, and for how long: answers larger
// than the manifest's size or than the range asked for, and transfers that
// trickle. Whole update runs against a loopback server.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "http_test_server.h"
#include "package_builder.h"
#include "platform/text_codec.h"
#include "update/status_texts.h"
#include "update_harness.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kTail = "bytes=-65557";

// In front of the system transport: the body bytes that reached the update
// for each package request, by the range it asked for ("" for all).
class CountingTransport final : public platform::HttpTransport {
 public:
  explicit CountingTransport(std::shared_ptr<platform::HttpTransport> inner)
      : inner_(std::move(inner)) {}

  platform::TransportResult Get(const platform::HttpRequest& request,
                                platform::HttpReceiver& receiver) override {
    Counter counter(receiver);
    platform::TransportResult result = inner_->Get(request, counter);
    if (request.url.find(L"GameClient.zip") != std::wstring::npos) {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.emplace_back(request.byteRange, counter.bytes);
    }
    return result;
  }

  std::vector<std::pair<std::string, std::uint64_t>> Received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

 private:
  struct Counter final : platform::HttpReceiver {
    explicit Counter(platform::HttpReceiver& inner) : inner(inner) {}
    bool OnHead(const platform::HttpHead& head) override { return inner.OnHead(head); }
    bool OnBody(const char* data, std::size_t size) override {
      bytes += size;
      return inner.OnBody(data, size);
    }
    bool OnTick() override { return inner.OnTick(); }
    platform::HttpReceiver& inner;
    std::uint64_t bytes = 0;
  };

  std::shared_ptr<platform::HttpTransport> inner_;
  std::mutex mutex_;
  std::vector<std::pair<std::string, std::uint64_t>> received_;
};

std::string Noise(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 12345;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

// Sends `bytes` a piece every `pause`, and stops after `most` (a bound only
// the unmended code reaches).
httplib::ContentProviderWithoutLength Trickle(std::string bytes, std::size_t piece,
                                              std::chrono::milliseconds pause,
                                              std::chrono::seconds most) {
  auto until = Clock::now() + most;
  return [bytes, piece, pause, until](std::size_t offset, httplib::DataSink& sink) {
    if (offset >= bytes.size() || Clock::now() > until) return false;
    std::this_thread::sleep_for(pause);
    return sink.write(bytes.data() + offset, std::min(piece, bytes.size() - offset));
  };
}

class UpdateBoundsTest : public ::testing::Test {
 protected:
  UpdateBoundsTest()
      : transport(
            std::make_shared<CountingTransport>(platform::MakeSystemTransport({2000ms, 1000ms}))),
        harness(transport, server.Address("/pkg.json")) {
    std::vector<ArchiveItem> items(2);
    items[0].name = "bin/game.exe";
    items[0].bytes = "game";
    items[1].name = "data/levels.dat";
    items[1].bytes = Noise(3 * 1024 * 1024);
    EXPECT_TRUE(WriteZipArchive(scratch.Path() / "built.zip", items));
    package = scratch.Read(L"built.zip");
    identity = IdentifyPackage(scratch.Path() / "built.zip");
    server.Serve("/pkg.json",
                 ManifestText(server.Address("/GameClient.zip"), "bin/game.exe", identity));
  }

  // The package with an entity tag; range requests are answered by httplib,
  // except those `answer` takes (it returns true).
  void ServePackage(std::function<bool(const httplib::Request&, httplib::Response&)> answer) {
    server.Route("/GameClient.zip",
                 [this, answer](const httplib::Request& request, httplib::Response& response) {
                   response.set_header("ETag", "\"v2\"");
                   if (answer && answer(request, response)) {
                     const_cast<httplib::Request&>(request).ranges.clear();
                     return;
                   }
                   response.set_content(package, "application/zip");
                 });
  }

  // An earlier install: a client directory the range update can start from.
  void HaveClient() {
    std::filesystem::create_directories(harness.dir.Path() / "micro" / "GameClient" / "bin");
    harness.WriteMicroFile(L"GameClient/bin/game.exe", "game");
  }

  UpdateOutcome Run() {
    harness.Start();
    auto outcome = harness.Wait();
    EXPECT_TRUE(outcome.has_value()) << "the update never ended";
    return outcome.value_or(UpdateOutcome::ManifestDownloadFailed);
  }

  bool Traced(const std::wstring& text) const {
    return harness.trace.Text().find(text) != std::wstring::npos;
  }
  std::string Trace() const { return platform::EncodeUtf8(harness.trace.Text()); }

  // Before the server, which may still be sending from it when the test ends.
  std::string package;
  HttpTestServer server;
  TempDir scratch;
  std::optional<PackageIdentity> identity;
  std::shared_ptr<CountingTransport> transport;
  UpdateHarness harness;
};

// A package larger than the manifest's "package_size": refused when its
// Content-Length says so, and never received past that size when it does
// not; no part is left to continue.
TEST_F(UpdateBoundsTest, APackageIsNeverReceivedPastTheManifestsSize) {
  std::string larger = package + Noise(4 * package.size());
  server.Serve("/GameClient.zip", larger);
  ASSERT_EQ(Run(), UpdateOutcome::PackageDownloadFailed);
  EXPECT_TRUE(Traced(L"download failed (too large): 200, 0 bytes")) << Trace();

  server.ServeChunked("/GameClient.zip", larger);
  harness.Restart();
  ASSERT_EQ(Run(), UpdateOutcome::PackageDownloadFailed);
  EXPECT_TRUE(Traced(L"download failed (too large)")) << Trace();
  // Nothing past the read that crosses the size (the transports read at
  // most 256 KiB at a time).
  for (auto [range, bytes] : transport->Received()) EXPECT_LE(bytes, package.size() + 256 * 1024);
  EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip.part"));
  EXPECT_FALSE(harness.MicroFileExists(L"GameClient.zip"));
}

// The tail request answered with the whole file is refused at its head,
// before a byte of it is kept; the full download then installs.
TEST_F(UpdateBoundsTest, ARangeAnswerLargerThanAskedIsRefusedAtItsHead) {
  HaveClient();
  ServePackage([this](const httplib::Request& request, httplib::Response& response) {
    if (request.get_header_value("Range") != kTail) return false;
    response.status = 206;
    response.set_header("Content-Range", "bytes 0-" + std::to_string(package.size() - 1) + "/" +
                                             std::to_string(package.size()));
    response.set_content(package, "application/zip");
    return true;
  });
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_TRUE(Traced(L"delta update not used: bad range")) << Trace();
  auto received = transport->Received();
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.front(), std::make_pair(std::string("-65557"), std::uint64_t{0}));
}

// An end record that claims a directory too large to hold (here at offset 0
// of a 33 MiB file) is given up before the directory is asked for.
TEST_F(UpdateBoundsTest, ADirectoryTooLargeToHoldIsNeverAskedFor) {
  HaveClient();
  std::string lying(33 * 1024 * 1024, '\0');
  std::string end("PK\x05\x06\0\0\0\0\x01\0\x01\0", 12);
  std::uint32_t directorySize = static_cast<std::uint32_t>(lying.size());
  for (int i = 0; i < 4; ++i) end.push_back(static_cast<char>(directorySize >> (8 * i)));
  end.append(6, '\0');
  lying += end;
  PackageIdentity claimed;
  claimed.size = lying.size();
  server.Serve("/pkg.json",
               ManifestText(server.Address("/GameClient.zip"), "bin/game.exe", claimed));
  server.Route("/GameClient.zip",
               [lying](const httplib::Request& request, httplib::Response& response) {
                 response.set_header("ETag", "\"lie\"");
                 if (request.get_header_value("Range") == kTail) {
                   // Answered here: httplib slicing the whole body is slow
                   // enough under ThreadSanitizer to pass for a stall.
                   std::size_t start = lying.size() - 65557;
                   response.status = 206;
                   response.set_header("Content-Range", "bytes " + std::to_string(start) + "-" +
                                                            std::to_string(lying.size() - 1) + "/" +
                                                            std::to_string(lying.size()));
                   response.set_content(lying.substr(start), "application/zip");
                   const_cast<httplib::Request&>(request).ranges.clear();
                 } else if (request.has_header("Range")) {
                   response.set_content(lying, "application/zip");
                 } else {
                   response.status = 404;
                 }
               });
  EXPECT_EQ(Run(), UpdateOutcome::PackageDownloadFailed);
  EXPECT_TRUE(Traced(L"delta update not used: the directory is too large")) << Trace();
  for (auto [range, bytes] : transport->Received()) {
    EXPECT_TRUE(range.empty() || range == "-65557") << range;
  }
}

// Each range request obeys the package's download rules: a tail trickled at
// 2 bytes a second stalls as the full download would, within the stall
// time, and the full download then installs.
TEST_F(UpdateBoundsTest, ATricklingRangeRequestStallsUnderTheDownloadRules) {
  HaveClient();
  ServePackage([this](const httplib::Request& request, httplib::Response& response) {
    if (request.get_header_value("Range") != kTail) return false;
    std::string tail = package.substr(package.size() - 65557);
    response.status = 206;
    response.set_header("Content-Range", "bytes " + std::to_string(package.size() - 65557) + "-" +
                                             std::to_string(package.size() - 1) + "/" +
                                             std::to_string(package.size()));
    response.set_chunked_content_provider("application/zip", Trickle(tail, 1, 500ms, 30s));
    return true;
  });
  harness.context->packageRules.lowSpeedTime = 1s;
  auto started = Clock::now();
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_LT(Clock::now() - started, 15s);
  EXPECT_TRUE(Traced(L"delta update not used: stalled")) << Trace();
}

// A package trickled above the stall rule but below the floor ends with the
// failure text at the end of the floor's window, not tried again; its part
// is kept and continued by the next start.
TEST_F(UpdateBoundsTest, ADownloadBelowTheFloorFailsAndIsContinuedNextStart) {
  ServePackage([this](const httplib::Request& request, httplib::Response& response) {
    if (request.has_header("Range")) return false;
    response.set_content_provider(package.size(), "application/zip",
                                  [this](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                    std::this_thread::sleep_for(100ms);
                                    return offset < 20000 &&
                                           sink.write(package.data() + offset, 100);
                                  });
    return true;
  });
  harness.context->packageRules.floorTime = 1s;
  auto started = Clock::now();
  ASSERT_EQ(Run(), UpdateOutcome::PackageDownloadFailed);
  EXPECT_LT(Clock::now() - started, 10s);
  EXPECT_EQ(harness.view->Status(), kDownloadFailedText);
  EXPECT_TRUE(Traced(L"download failed (too slow): 200")) << Trace();
  EXPECT_TRUE(Traced(L" 1 attempt")) << Trace();
  ASSERT_TRUE(harness.MicroFileExists(L"GameClient.zip.part"));

  ServePackage(nullptr);
  harness.Restart();
  ASSERT_EQ(Run(), UpdateOutcome::Installed);
  EXPECT_TRUE(Traced(L"download ok: 206 from ")) << Trace();
}

}  // namespace
