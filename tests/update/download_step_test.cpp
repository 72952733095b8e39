// The download step over the system transport, against a real server on
// 127.0.0.1.
// The server's header first: on Windows winsock2.h must precede windows.h.
#include "http_test_server.h"

#include "update/download_step.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#include <winhttp.h>
#else
#include <curl/curl.h>
#endif

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "fakes/recording_progress.h"
#include "files/sha256_digest.h"
#include "platform/archive_files.h"
#include "static_site.h"
#include "temp_dir.h"

namespace {

using namespace std::chrono_literals;

#ifdef _WIN32
constexpr int kConnectionRefused = ERROR_WINHTTP_CANNOT_CONNECT;
constexpr int kMissingDirectory = ERROR_PATH_NOT_FOUND;
#else
constexpr int kConnectionRefused = CURLE_COULDNT_CONNECT;
constexpr int kMissingDirectory = ENOENT;
#endif

std::string Body(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 23);
  return body;
}

DownloadRules Package() {
  DownloadRules rules = PackageDownloadRules();
  rules.retryPauses.assign(rules.retryPauses.size(), 1ms);
  return rules;
}

DownloadRules OneAttempt() {
  DownloadRules rules = Package();
  rules.retryPauses.clear();
  return rules;
}

class DownloadStepTest : public ::testing::Test {
 protected:
  DownloadResult Fetch(const std::string& path, const DownloadRules& rules,
                       DownloadProgress* progress = nullptr) {
    return DownloadFile(*transport, *files, server.Url(path), dir.WideFile(L"out.bin"), progress,
                        rules);
  }
  bool Exists(const char* name) const { return std::filesystem::exists(dir.Path() / name); }

  HttpTestServer server;
  TempDir dir;
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  std::shared_ptr<platform::HttpTransport> transport =
      platform::MakeSystemTransport({2000ms, 1000ms});
};

TEST_F(DownloadStepTest, StoresTheBodyAndReportsItsProgress) {
  std::string body = Body(3 * 1024 * 1024 + 17);
  server.Serve("/pkg.zip", body);
  RecordingProgress progress;
  DownloadResult result = Fetch("/pkg.zip", OneAttempt(), &progress);
  ASSERT_TRUE(result.Ok()) << DescribeDownload(result);
  EXPECT_EQ(result.status, 200);
  // One notification for each whole percent, the start and the end: not one
  // for every chunk.
  EXPECT_LE(progress.calls.size(), 103u);
  EXPECT_EQ(result.received, body.size());
  EXPECT_EQ(dir.Read(L"out.bin"), body);
  ASSERT_FALSE(progress.calls.empty());
  EXPECT_EQ(progress.calls.back(),
            std::make_pair(std::uint64_t{body.size()}, std::uint64_t{body.size()}));
  for (std::size_t i = 1; i < progress.calls.size(); ++i) {
    EXPECT_GE(progress.calls[i].first, progress.calls[i - 1].first);
  }
  EXPECT_FALSE(Exists("out.bin.part"));
}

TEST_F(DownloadStepTest, AnEmptyBodyIsAnEmptyFile) {
  server.Serve("/empty", "");
  ASSERT_TRUE(Fetch("/empty", ManifestDownloadRules()).Ok());
  EXPECT_TRUE(Exists("out.bin"));
  EXPECT_EQ(dir.Read(L"out.bin"), "");
}

TEST_F(DownloadStepTest, AnUnknownLengthIsReportedAsTotalZero) {
  std::string body = Body(50000);
  server.ServeChunked("/chunked", body);
  RecordingProgress progress;
  ASSERT_TRUE(Fetch("/chunked", ManifestDownloadRules(), &progress).Ok());
  EXPECT_EQ(dir.Read(L"out.bin"), body);
  ASSERT_FALSE(progress.calls.empty());
  for (auto [received, total] : progress.calls) EXPECT_EQ(total, 0u) << received;
  EXPECT_EQ(progress.calls.back().first, body.size());
}

TEST_F(DownloadStepTest, FollowsARedirect) {
  server.Serve("/real.zip", "the package");
  server.Redirect("/moved.zip", "/real.zip");
  ASSERT_TRUE(Fetch("/moved.zip", ManifestDownloadRules()).Ok());
  EXPECT_EQ(dir.Read(L"out.bin"), "the package");
  EXPECT_EQ(server.Hits("/real.zip"), 1);
}

// Every failure leaves what was at the target before, says why, and keeps
// no partial file of a download that cannot be resumed.
TEST_F(DownloadStepTest, FailuresLeaveTheTargetAloneAndSayWhy) {
  server.Serve("/missing", "<html>not found</html>", 404);
  server.Serve("/broken", "<html>server error</html>", 500);
  server.ServeShort("/short", Body(1000), 5000);
  server.Redirect("/loop", "/loop");
  dir.Write(L"out.bin", "previous");
  const std::pair<const char*, DownloadError> cases[] = {
      {"/missing", DownloadError::HttpStatus},
      {"/broken", DownloadError::HttpStatus},
      {"/short", DownloadError::Dropped},
      {"/loop", DownloadError::BadRedirect},
  };
  for (auto [path, error] : cases) {
    DownloadResult result = Fetch(path, ManifestDownloadRules());
    EXPECT_EQ(result.error, error) << path << ": " << DescribeDownload(result);
    EXPECT_EQ(dir.Read(L"out.bin"), "previous") << path;
    EXPECT_FALSE(Exists("out.bin.part")) << path;
  }
  EXPECT_EQ(Fetch("/missing", ManifestDownloadRules()).status, 404);
}

// A failure keeps the system's cause, and the trace line names it.
void ExpectCauseTraced(const DownloadResult& result, int code) {
  std::wstring line = DescribeDownload(result);
  EXPECT_EQ(result.cause.code, code) << line;
  EXPECT_FALSE(result.cause.text.empty()) << line;
  EXPECT_NE(line.find(L"; error " + std::to_wstring(code) + L": " + result.cause.text),
            std::wstring::npos)
      << line;
}

TEST_F(DownloadStepTest, ARefusedConnectionFailsAndSaysSo) {
  std::wstring url = L"http://127.0.0.1:" + std::to_wstring(UnusedPort()) + L"/pkg.json";
  DownloadResult result = DownloadFile(*transport, *files, url, dir.WideFile(L"out.bin"), nullptr,
                                       ManifestDownloadRules());
  EXPECT_EQ(result.error, DownloadError::ConnectFailed);
  ExpectCauseTraced(result, kConnectionRefused);
  EXPECT_FALSE(Exists("out.bin"));
}

TEST_F(DownloadStepTest, OnlyWebAddressesAreFetched) {
  dir.Write(L"source.txt", "local");
  for (std::wstring url : {L"file://" + dir.WideFile(L"source.txt"), std::wstring()}) {
    DownloadResult result = DownloadFile(*transport, *files, url, dir.WideFile(L"out.bin"), nullptr,
                                         ManifestDownloadRules());
    EXPECT_EQ(result.error, DownloadError::BadAddress);
  }
  EXPECT_FALSE(Exists("out.bin"));
}

TEST_F(DownloadStepTest, AStalledServerIsGivenUp) {
  server.ServeStalling("/stall", Body(1024 * 1024));
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Fetch("/stall", ManifestDownloadRules()).error, DownloadError::Stalled);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
  EXPECT_FALSE(Exists("out.bin"));
  EXPECT_FALSE(Exists("out.bin.part"));
}

TEST_F(DownloadStepTest, AMissingTargetDirectoryFailsAndSaysSo) {
  server.Serve("/pkg.zip", "bytes");
  DownloadResult result = DownloadFile(*transport, *files, server.Url("/pkg.zip"),
                                       dir.WideFile(L"no/such/out.bin"), nullptr, OneAttempt());
  EXPECT_EQ(result.error, DownloadError::FileError);
  ExpectCauseTraced(result, kMissingDirectory);
}

// The manifest's bounds: a plain request is answered by 200 alone, and no
// more than the size limit is ever written.
TEST_F(DownloadStepTest, APartialAnswerToAPlainRequestIsRefused) {
  server.Serve("/pkg.json", "{\"client_url\":", 206);
  DownloadResult result = Fetch("/pkg.json", ManifestDownloadRules());
  EXPECT_EQ(result.error, DownloadError::HttpStatus);
  EXPECT_EQ(result.status, 206);
  EXPECT_FALSE(Exists("out.bin"));
}

// A client of 20,000 files lists some 2.3 MB.
TEST_F(DownloadStepTest, AManifestIsTakenUpToFourMebibytesAndStoppedPast) {
  server.Serve("/listed", Body(3 * 1024 * 1024));
  EXPECT_TRUE(Fetch("/listed", ManifestDownloadRules()).Ok());
  std::filesystem::remove(dir.Path() / "out.bin");
  server.Serve("/announced", Body(5 * 1024 * 1024));
  server.ServeChunked("/endless", Body(12 * 1024 * 1024));
  for (const char* path : {"/announced", "/endless"}) {
    DownloadResult result = Fetch(path, ManifestDownloadRules());
    EXPECT_EQ(result.error, DownloadError::TooLarge) << path;
    EXPECT_LE(result.received, 4u * 1024u * 1024u) << path;
    EXPECT_FALSE(Exists("out.bin")) << path;
    EXPECT_FALSE(Exists("out.bin.part")) << path;
  }
}

TEST_F(DownloadStepTest, ATricklingManifestIsStoppedAtTheTimeLimit) {
  server.Route("/trickle", [](const httplib::Request&, httplib::Response& response) {
    response.set_chunked_content_provider("application/json",
                                          [](std::size_t, httplib::DataSink& sink) {
                                            std::this_thread::sleep_for(100ms);
                                            return sink.write("          ", 10);
                                          });
  });
  DownloadRules rules = ManifestDownloadRules();
  rules.timeLimit = 1500ms;
  auto started = std::chrono::steady_clock::now();
  DownloadResult result = Fetch("/trickle", rules);
  EXPECT_EQ(result.error, DownloadError::TooLong) << DescribeDownload(result);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  EXPECT_FALSE(Exists("out.bin.part"));
}

TEST_F(DownloadStepTest, TheBodyIsHashedAsItIsWrittenButNotAfterAResume) {
  std::string body = Body(4 * 1024 * 1024);
  server.ServeResumable("/pkg.zip", body, "\"v1\"", body.size() / 2, 1);
  DownloadRules rules = OneAttempt();
  rules.sha256 = true;
  EXPECT_EQ(Fetch("/pkg.zip", rules).sha256, "");
  DownloadResult resumed = Fetch("/pkg.zip", rules);
  ASSERT_TRUE(resumed.Ok()) << DescribeDownload(resumed);
  EXPECT_EQ(resumed.sha256, "");

  DownloadResult whole = Fetch("/pkg.zip", rules);
  ASSERT_TRUE(whole.Ok()) << DescribeDownload(whole);
  auto written = platform::MakeSystemArchiveFiles()->OpenArchive(dir.WideFile(L"out.bin"));
  ASSERT_TRUE(written);
  EXPECT_EQ(whole.sha256, Sha256Hex(*written).value_or("none"));
}

// Resuming: the part and its validator outlive a failure, and the next
// attempt asks only for the rest.
TEST_F(DownloadStepTest, ADroppedDownloadContinuesWhereItStopped) {
  std::string body = Body(4 * 1024 * 1024);
  server.ServeResumable("/pkg.zip", body, "\"v1\"", body.size() / 2, 1);
  DownloadResult first = Fetch("/pkg.zip", OneAttempt());
  EXPECT_EQ(first.error, DownloadError::Dropped);
  EXPECT_TRUE(Exists("out.bin.part"));
  EXPECT_FALSE(Exists("out.bin"));

  RecordingProgress progress;
  DownloadResult second = Fetch("/pkg.zip", OneAttempt(), &progress);
  ASSERT_TRUE(second.Ok()) << DescribeDownload(second);
  EXPECT_EQ(second.status, 206);
  EXPECT_EQ(second.resumedFrom, first.received);
  EXPECT_EQ(server.LastHeader("/pkg.zip", "Range"),
            "bytes=" + std::to_string(first.received) + "-");
  EXPECT_EQ(server.LastHeader("/pkg.zip", "If-Range"), "\"v1\"");
  EXPECT_TRUE(dir.Read(L"out.bin") == body);
  EXPECT_LT(server.BytesSent("/pkg.zip"), body.size() * 11 / 10);
  ASSERT_FALSE(progress.calls.empty());
  EXPECT_GE(progress.calls.front().first, first.received);
  EXPECT_EQ(progress.calls.back(),
            std::make_pair(std::uint64_t{body.size()}, std::uint64_t{body.size()}));
  EXPECT_FALSE(Exists("out.bin.part"));
  EXPECT_FALSE(Exists("out.bin.part.validator"));
}

TEST_F(DownloadStepTest, ADropIsResumedWithinOneRun) {
  std::string body = Body(4 * 1024 * 1024);
  server.ServeResumable("/pkg.zip", body, "\"v1\"", body.size() / 2, 2);
  DownloadResult result = Fetch("/pkg.zip", Package());
  ASSERT_TRUE(result.Ok()) << DescribeDownload(result);
  EXPECT_EQ(result.attempts, 3);
  EXPECT_TRUE(dir.Read(L"out.bin") == body);
  EXPECT_LT(server.BytesSent("/pkg.zip"), body.size() * 11 / 10);
}

TEST_F(DownloadStepTest, AChangedFileIsFetchedAgainFromItsStart) {
  std::string old = Body(1000000);
  server.ServeResumable("/pkg.zip", old, "\"v1\"", 300000, 1);
  EXPECT_EQ(Fetch("/pkg.zip", OneAttempt()).error, DownloadError::Dropped);
  std::string fresh(900000, 'n');
  server.ServeResumable("/pkg.zip", fresh, "\"v2\"");
  DownloadResult result = Fetch("/pkg.zip", OneAttempt());
  ASSERT_TRUE(result.Ok()) << DescribeDownload(result);
  EXPECT_EQ(result.status, 200);
  EXPECT_EQ(result.resumedFrom, 0u);
  EXPECT_TRUE(dir.Read(L"out.bin") == fresh);
}

TEST_F(DownloadStepTest, APartWithoutAValidatorIsNotContinued) {
  std::string body = Body(1000000);
  server.ServeResumable("/pkg.zip", body, "", 300000, 1);
  EXPECT_EQ(Fetch("/pkg.zip", OneAttempt()).error, DownloadError::Dropped);
  DownloadResult result = Fetch("/pkg.zip", OneAttempt());
  ASSERT_TRUE(result.Ok());
  EXPECT_EQ(server.LastHeader("/pkg.zip", "Range"), "");
  EXPECT_TRUE(dir.Read(L"out.bin") == body);
}

TEST_F(DownloadStepTest, ARangeThatDoesNotContinueThePartStartsOver) {
  std::string body = Body(100000);
  dir.Write(L"out.bin.part", body.substr(0, 5000));
  dir.Write(L"out.bin.part.validator", "\"v1\"");
  server.Route("/pkg.zip", [body](const httplib::Request& request, httplib::Response& response) {
    const_cast<httplib::Request&>(request).ranges.clear();
    if (request.has_header("Range")) {
      response.status = 206;
      response.set_header("Content-Range", "bytes 0-99999/100000");
    }
    response.set_header("ETag", "\"v1\"");
    response.set_content(body, "application/zip");
  });
  DownloadResult result = Fetch("/pkg.zip", OneAttempt());
  ASSERT_TRUE(result.Ok()) << DescribeDownload(result);
  EXPECT_EQ(server.Hits("/pkg.zip"), 2);
  EXPECT_TRUE(dir.Read(L"out.bin") == body);
}

// Against the server of micro-pkg serve: a download stopped at its time
// limit leaves a part that the next one continues.
TEST_F(DownloadStepTest, APackageServedByMicroPkgServeIsContinued) {
  TempDir site;
  std::string body = Body(1024 * 1024);
  site.Write(L"GameClient.zip", body);
  httplib::Server served;
  StaticSiteOptions options;
  options.bytesPerSecond = 1024 * 1024;
  ServeStaticSite(served, site.Path(), options);
  int port = served.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread loop([&served] { served.listen_after_bind(); });
  while (!served.is_running()) std::this_thread::yield();
  std::wstring url = L"http://127.0.0.1:" + std::to_wstring(port) + L"/GameClient.zip";

  DownloadRules cut = OneAttempt();
  cut.timeLimit = 400ms;
  DownloadResult first =
      DownloadFile(*transport, *files, url, dir.WideFile(L"out.bin"), nullptr, cut);
  DownloadResult second =
      DownloadFile(*transport, *files, url, dir.WideFile(L"out.bin"), nullptr, OneAttempt());
  served.stop();
  loop.join();
  EXPECT_EQ(first.error, DownloadError::TooLong);
  ASSERT_GT(first.received, 0u);
  ASSERT_TRUE(second.Ok()) << DescribeDownload(second);
  EXPECT_EQ(second.status, 206);
  EXPECT_EQ(second.resumedFrom, first.received);
  EXPECT_EQ(second.received, body.size() - first.received);
  EXPECT_TRUE(dir.Read(L"out.bin") == body);
}

// Sizes past 4 GiB, also in a 32-bit process: a server that announces
// 5 GiB and drops the connection.
TEST_F(DownloadStepTest, ATotalPastFourGibibytesIsReportedWhole) {
  constexpr std::uint64_t kAnnounced = 5ull << 30;
  server.ServeShort("/huge.zip", std::string(1u << 20, 'h'), kAnnounced);
  RecordingProgress progress;
  DownloadResult result = Fetch("/huge.zip", OneAttempt(), &progress);
  EXPECT_EQ(result.error, DownloadError::Dropped);
  ASSERT_FALSE(progress.calls.empty());
  EXPECT_EQ(progress.calls.back(), std::make_pair(result.received, kAnnounced));
}

}  // namespace
