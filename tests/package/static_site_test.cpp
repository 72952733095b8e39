// The server of micro-pkg serve, answering a real client on loopback.
#include "static_site.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(SiteFile, MapsRequestPathsBelowTheRoot) {
  TempDir dir;
  fs::create_directories(dir.Path() / "a" / "b");
  dir.Write(L"index.html", "<p>");
  dir.Write(L"a/index.html", "<p>");
  dir.Write(L"a/b/c.txt", "c");
  dir.Write(L"\u6570\u636E.txt", "d");
  EXPECT_EQ(SiteFile(dir.Path(), "/"), dir.Path() / "index.html");
  EXPECT_EQ(SiteFile(dir.Path(), "/a/"), dir.Path() / "a" / "index.html");
  EXPECT_EQ(SiteFile(dir.Path(), "/a/b/c.txt"), dir.Path() / "a" / "b" / "c.txt");
  EXPECT_TRUE(SiteFile(dir.Path(), "/\xE6\x95\xB0\xE6\x8D\xAE.txt").has_value());
  // Directories, missing files and anything that could leave the root.
  for (const char* path :
       {"/a", "/a/b/", "/missing.txt", "", "a/b/c.txt", "/../index.html", "/a/../index.html",
        "/a/./b/c.txt", "//index.html", "/a//b/c.txt", "/a\\b\\c.txt", "/c:/index.html"}) {
    EXPECT_FALSE(SiteFile(dir.Path(), path).has_value()) << path;
  }
  EXPECT_FALSE(SiteFile(dir.Path(), std::string("/index.html\0.png", 16)).has_value());
}

TEST(SiteContentType, FollowsTheExtensionInAnyCase) {
  EXPECT_STREQ(SiteContentType("x/pkg.json"), "application/json");
  EXPECT_STREQ(SiteContentType("INDEX.HTML"), "text/html; charset=utf-8");
  EXPECT_STREQ(SiteContentType("GameClient.zip"), "application/zip");
  EXPECT_STREQ(SiteContentType("world.pak"), "application/octet-stream");
}

// A site served on a free loopback port for the length of a test.
class StaticSiteTest : public ::testing::Test {
 protected:
  void Start(std::uint64_t bytesPerSecond = 0) {
    StaticSiteOptions options;
    options.bytesPerSecond = bytesPerSecond;
    options.log = [this](const std::string& request) {
      std::lock_guard<std::mutex> lock(mutex_);
      log_.push_back(request);
    };
    ServeStaticSite(server_, dir_.Path(), options);
    port_ = server_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  void TearDown() override {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }
  httplib::Client Client() const { return httplib::Client("127.0.0.1", port_); }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }

  TempDir dir_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> log_;
};

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
  return bytes;
}

TEST_F(StaticSiteTest, SendsFilesWholeAcrossManyChunks) {
  std::string package = Pattern(1000003);
  dir_.Write(L"GameClient.zip", package);
  dir_.Write(L"empty.txt", "");
  Start();
  auto client = Client();
  auto got = client.Get("/GameClient.zip?skq=12");
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 200);
  EXPECT_EQ(got->get_header_value("Content-Type"), "application/zip");
  EXPECT_EQ(got->get_header_value("Content-Length"), "1000003");
  EXPECT_TRUE(got->body == package);
  auto empty = client.Get("/empty.txt");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->status, 200);
  EXPECT_EQ(empty->body, "");
}

TEST_F(StaticSiteTest, RangesAreReadFromTheirOffset) {
  std::string package = Pattern(300000);
  dir_.Write(L"GameClient.zip", package);
  Start();
  auto got = Client().Get("/GameClient.zip", {{"Range", "bytes=200000-200099"}});
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 206);
  EXPECT_EQ(got->body, package.substr(200000, 100));
}

TEST_F(StaticSiteTest, WhatIsNoFileOfTheSiteIsNotFound) {
  dir_.Write(L"index.html", "<p>");
  fs::create_directories(dir_.Path() / "sub");
  Start();
  auto client = Client();
  for (const char* path : {"/missing.json", "/sub", "/../index.html", "/%2e%2e/index.html"}) {
    auto got = client.Get(path);
    ASSERT_TRUE(got) << path;
    EXPECT_EQ(got->status, 404) << path;
  }
  auto index = client.Get("/");
  ASSERT_TRUE(index);
  EXPECT_EQ(index->body, "<p>");
  EXPECT_EQ(index->get_header_value("Content-Type"), "text/html; charset=utf-8");
}

TEST_F(StaticSiteTest, EveryRequestIsLoggedWithItsQuery) {
  dir_.Write(L"pkg.json", "{}");
  Start();
  auto client = Client();
  ASSERT_TRUE(client.Get("/pkg.json?skq=-5"));
  ASSERT_TRUE(client.Get("/nothing"));
  EXPECT_EQ(Log(), (std::vector<std::string>{"GET /pkg.json?skq=-5", "GET /nothing"}));
}

TEST_F(StaticSiteTest, AThrottledBodyStillArrivesWhole) {
  std::string package = Pattern(250000);
  dir_.Write(L"GameClient.zip", package);
  Start(1000000);
  std::size_t pieces = 0;
  std::string received;
  auto got = Client().Get("/GameClient.zip", [&](const char* data, std::size_t length) {
    ++pieces;
    received.append(data, length);
    return true;
  });
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 200);
  EXPECT_TRUE(received == package);
  // A tenth of the rate at a time.
  EXPECT_GE(pieces, 3u);
}

}  // namespace
