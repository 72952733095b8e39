// The system downloader against a real server on 127.0.0.1.
// The server's header first: on Windows winsock2.h must precede windows.h.
#include "http_test_server.h"

#include "platform/downloader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "fakes/recording_progress.h"
#include "temp_dir.h"

namespace {

std::string Body(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 23);
  return body;
}

class DownloaderTest : public ::testing::Test {
 protected:
  bool Fetch(const std::string& path, IBindStatusCallback* progress = nullptr) {
    return downloader->Download(server.Url(path), dir.WideFile(L"out.bin"), progress);
  }
  bool Exists(const char* name) const { return std::filesystem::exists(dir.Path() / name); }

  HttpTestServer server;
  TempDir dir;
  std::shared_ptr<platform::Downloader> downloader = platform::MakeSystemDownloader(
      {std::chrono::milliseconds(2000), 1000, std::chrono::seconds(1)});
};

TEST_F(DownloaderTest, StoresTheBodyAndReportsItsProgress) {
  std::string body = Body(3 * 1024 * 1024 + 17);
  server.Serve("/pkg.zip", body);
  RecordingProgress progress;
  ASSERT_TRUE(Fetch("/pkg.zip", &progress));
  EXPECT_EQ(dir.Read(L"out.bin"), body);
  ASSERT_FALSE(progress.calls.empty());
  EXPECT_EQ(progress.calls.back(), std::make_pair(ULONG(body.size()), ULONG(body.size())));
  for (std::size_t i = 1; i < progress.calls.size(); ++i) {
    EXPECT_GE(progress.calls[i].first, progress.calls[i - 1].first);
    EXPECT_NE(progress.calls[i], progress.calls[i - 1]) << "a repeated notification";
  }
  EXPECT_FALSE(Exists("out.bin.part"));
}

TEST_F(DownloaderTest, AnEmptyBodyIsAnEmptyFile) {
  server.Serve("/empty", "");
  ASSERT_TRUE(Fetch("/empty"));
  EXPECT_TRUE(Exists("out.bin"));
  EXPECT_EQ(dir.Read(L"out.bin"), "");
}

TEST_F(DownloaderTest, AnUnknownLengthIsReportedAsTotalZero) {
  std::string body = Body(50000);
  server.ServeChunked("/chunked", body);
  RecordingProgress progress;
  ASSERT_TRUE(Fetch("/chunked", &progress));
  EXPECT_EQ(dir.Read(L"out.bin"), body);
  ASSERT_FALSE(progress.calls.empty());
  for (auto [received, total] : progress.calls) EXPECT_EQ(total, 0u) << received;
  EXPECT_EQ(progress.calls.back().first, body.size());
}

TEST_F(DownloaderTest, FollowsARedirect) {
  server.Serve("/real.zip", "the package");
  server.Redirect("/moved.zip", "/real.zip");
  ASSERT_TRUE(Fetch("/moved.zip"));
  EXPECT_EQ(dir.Read(L"out.bin"), "the package");
  EXPECT_EQ(server.Hits("/real.zip"), 1);
}

// Every failure leaves what was at the target before, and no partial file.
TEST_F(DownloaderTest, FailuresLeaveTheTargetAlone) {
  server.Serve("/missing", "<html>not found</html>", 404);
  server.Serve("/broken", "<html>server error</html>", 500);
  server.ServeShort("/short", Body(1000), 5000);
  server.Redirect("/loop", "/loop");
  dir.Write(L"out.bin", "previous");
  for (const char* path : {"/missing", "/broken", "/short", "/loop", "/nothing-here"}) {
    EXPECT_FALSE(Fetch(path)) << path;
    EXPECT_EQ(dir.Read(L"out.bin"), "previous") << path;
    EXPECT_FALSE(Exists("out.bin.part")) << path;
  }
}

TEST_F(DownloaderTest, ARefusedConnectionFails) {
  std::wstring url = L"http://127.0.0.1:" + std::to_wstring(UnusedPort()) + L"/pkg.json";
  EXPECT_FALSE(downloader->Download(url, dir.WideFile(L"out.bin"), nullptr));
  EXPECT_FALSE(Exists("out.bin"));
}

TEST_F(DownloaderTest, OnlyWebAddressesAreFetched) {
  dir.Write(L"source.txt", "local");
  std::wstring url = L"file://" + dir.WideFile(L"source.txt");
  EXPECT_FALSE(downloader->Download(url, dir.WideFile(L"out.bin"), nullptr));
  EXPECT_FALSE(downloader->Download(L"", dir.WideFile(L"out.bin"), nullptr));
  EXPECT_FALSE(Exists("out.bin"));
}

TEST_F(DownloaderTest, AStalledServerIsGivenUp) {
  server.ServeStalling("/stall", Body(1024 * 1024));
  // The limits above: under 1000 bytes a second for a second.
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(Fetch("/stall"));
  // libcurl averages the speed over its last few seconds, so the give-up
  // comes some seconds after the limit; a stall must not last anywhere near
  // as long as a test run.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  EXPECT_FALSE(Exists("out.bin"));
  EXPECT_FALSE(Exists("out.bin.part"));
}

TEST_F(DownloaderTest, AMissingTargetDirectoryFails) {
  server.Serve("/pkg.zip", "bytes");
  EXPECT_FALSE(
      downloader->Download(server.Url("/pkg.zip"), dir.WideFile(L"no/such/out.bin"), nullptr));
}

}  // namespace
