// The server of micro-pkg serve, answering a real client on loopback.
#include "static_site.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

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

#ifndef _WIN32
TEST(SiteFile, ALinkToAFileOutsideTheRootIsNotServed) {
  TempDir outside;
  outside.Write(L"secret.txt", "secret");
  TempDir dir;
  dir.Write(L"real.txt", "real");
  fs::create_symlink(outside.Path() / "secret.txt", dir.Path() / "secret.txt");
  fs::create_directory_symlink(outside.Path(), dir.Path() / "out");
  fs::create_symlink(dir.Path() / "real.txt", dir.Path() / "alias.txt");
  EXPECT_FALSE(SiteFile(dir.Path(), "/secret.txt").has_value());
  EXPECT_FALSE(SiteFile(dir.Path(), "/out/secret.txt").has_value());
  EXPECT_TRUE(SiteFile(dir.Path(), "/alias.txt").has_value());
}
#endif

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
    // A stop before the loop runs would be missed.
    while (!server_.is_running()) std::this_thread::yield();
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
  EXPECT_EQ(got->get_header_value("Content-Range"), "bytes 200000-200099/300000");
  EXPECT_EQ(got->body, package.substr(200000, 100));
  auto tail = Client().Get("/GameClient.zip", {{"Range", "bytes=299990-"}});
  ASSERT_TRUE(tail);
  EXPECT_EQ(tail->status, 206);
  EXPECT_EQ(tail->get_header_value("Content-Range"), "bytes 299990-299999/300000");
  EXPECT_EQ(tail->body, package.substr(299990));
}

TEST_F(StaticSiteTest, ARangePastTheEndIsUnsatisfiable) {
  dir_.Write(L"pkg.json", std::string(154, 'j'));
  Start();
  auto got = Client().Get("/pkg.json", {{"Range", "bytes=1000-2000"}});
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 416);
  EXPECT_EQ(got->get_header_value("Content-Range"), "bytes */154");
  EXPECT_EQ(got->body, "");
}

TEST_F(StaticSiteTest, OverlappingRangesAreMergedAndSeparateOnesSentAsParts) {
  std::string package = Pattern(1000);
  dir_.Write(L"p.bin", package);
  Start();
  auto merged = Client().Get("/p.bin", {{"Range", "bytes=0-99,50-149,150-199"}});
  ASSERT_TRUE(merged);
  EXPECT_EQ(merged->status, 206);
  EXPECT_EQ(merged->get_header_value("Content-Range"), "bytes 0-199/1000");
  EXPECT_EQ(merged->body, package.substr(0, 200));

  auto parts = Client().Get("/p.bin", {{"Range", "bytes=900-,0-9"}});
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->status, 206);
  std::string type = parts->get_header_value("Content-Type");
  ASSERT_EQ(type.rfind("multipart/byteranges; boundary=", 0), 0u) << type;
  std::string boundary = type.substr(type.find('=') + 1);
  std::string expected = "\r\n--" + boundary +
                         "\r\nContent-Type: application/octet-stream\r\nContent-Range: bytes "
                         "0-9/1000\r\n\r\n" +
                         package.substr(0, 10) + "\r\n--" + boundary +
                         "\r\nContent-Type: application/octet-stream\r\nContent-Range: bytes "
                         "900-999/1000\r\n\r\n" +
                         package.substr(900) + "\r\n--" + boundary + "--\r\n";
  EXPECT_TRUE(parts->body == expected);
  EXPECT_EQ(parts->get_header_value("Content-Length"), std::to_string(expected.size()));
}

TEST_F(StaticSiteTest, IfRangeSendsTheWholeFileWhenItChanged) {
  std::string package = Pattern(5000);
  dir_.Write(L"p.bin", package);
  Start();
  auto first = Client().Get("/p.bin");
  ASSERT_TRUE(first);
  std::string tag = first->get_header_value("ETag");
  ASSERT_FALSE(tag.empty());
  auto same = Client().Get("/p.bin", {{"Range", "bytes=4000-"}, {"If-Range", tag}});
  ASSERT_TRUE(same);
  EXPECT_EQ(same->status, 206);
  EXPECT_EQ(same->body, package.substr(4000));
  auto other = Client().Get("/p.bin", {{"Range", "bytes=4000-"}, {"If-Range", "\"old\""}});
  ASSERT_TRUE(other);
  EXPECT_EQ(other->status, 200);
  EXPECT_TRUE(other->body == package);
}

TEST_F(StaticSiteTest, APortInUseIsRefused) {
  Start();
  httplib::Server second;
  ServeStaticSite(second, dir_.Path(), {});
  EXPECT_FALSE(second.bind_to_port("127.0.0.1", port_));
}

#ifndef _WIN32
// Connections that never send a request hold only their own threads.
TEST_F(StaticSiteTest, IdleConnectionsDoNotHoldUpNewRequests) {
  dir_.Write(L"pkg.json", "{}");
  Start();
  std::vector<int> idle;
  for (int i = 0; i < 200; ++i) {
    int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    idle.push_back(sock);
  }
  auto client = Client();
  client.set_read_timeout(std::chrono::seconds(3));
  auto got = client.Get("/pkg.json");
  for (int sock : idle) ::close(sock);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->body, "{}");
}
#endif

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
