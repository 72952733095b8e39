// The server of micro-pkg serve, answering a real client on loopback.
#include "static_site.h"

#include <gtest/gtest.h>

#include <memory>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "bounded_server.h"
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
  void Start(std::uint64_t bytesPerSecond = 0, RequestLimits limits = {}) {
    server_ = std::make_unique<BoundedServer>(limits);
    StaticSiteOptions options;
    options.bytesPerSecond = bytesPerSecond;
    options.log = [this](const std::string& request) {
      std::lock_guard<std::mutex> lock(mutex_);
      log_.push_back(request);
    };
    ServeStaticSite(*server_, dir_.Path(), options);
    port_ = server_->bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // A stop before the loop runs would be missed.
    while (!server_->is_running()) std::this_thread::yield();
  }
  void TearDown() override {
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
  }
  httplib::Client Client() const { return httplib::Client("127.0.0.1", port_); }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }

  TempDir dir_;
  std::unique_ptr<BoundedServer> server_;
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
// A raw connection to the server; -1 when it cannot be made.
int Connect(int port) {
  int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return sock;
  ::close(sock);
  return -1;
}

// What the server sends until it closes the connection; "<open>" ends it
// when the server has not closed it within 5 s.
std::string ReadToClose(int sock) {
  timeval wait{5, 0};
  setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  std::string answer;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = ::recv(sock, buffer, sizeof buffer, 0)) > 0) {
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  return n == 0 ? answer : answer + "<open>";
}

TEST_F(StaticSiteTest, AHeaderPastTheBoundIsAnswered431AndTheConnectionClosed) {
  dir_.Write(L"pkg.json", "{}");
  Start();
  int sock = Connect(port_);
  ASSERT_GE(sock, 0);
  std::string header = "GET /pkg.json HTTP/1.1\r\n";
  while (header.size() < RequestLimits{}.headerBytes + 8192) {
    header += "X-Filler: " + std::string(90, 'f') + "\r\n";
  }
  EXPECT_EQ(::send(sock, header.data(), header.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(header.size()));
  std::string answer = ReadToClose(sock);
  ::close(sock);
  EXPECT_EQ(answer.rfind("HTTP/1.1 431 Request Header Fields Too Large\r\n", 0), 0u) << answer;
  EXPECT_EQ(answer.find("<open>"), std::string::npos);
  auto within = Client().Get("/pkg.json", {{"X-Filler", std::string(8000, 'f')}});
  ASSERT_TRUE(within);
  EXPECT_EQ(within->body, "{}");
}

// A byte every 100 ms never meets the read time-out, only the deadline.
TEST_F(StaticSiteTest, AClientSlowWithItsRequestIsDroppedAtTheDeadlineWhileOthersAreServed) {
  dir_.Write(L"pkg.json", "{}");
  RequestLimits limits;
  limits.deadline = std::chrono::milliseconds(1000);
  Start(0, limits);
  int sock = Connect(port_);
  ASSERT_GE(sock, 0);
  const std::string start = "GET /pkg.json HTTP/1.1\r\nX-Slow: ";
  ASSERT_EQ(::send(sock, start.data(), start.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(start.size()));
  std::string answer;
  bool closed = false;
  for (int i = 0; i < 50 && !closed; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (i == 3) {
      auto got = Client().Get("/pkg.json");
      ASSERT_TRUE(got);
      EXPECT_EQ(got->body, "{}");
    }
    char buffer[256];
    ssize_t n = ::recv(sock, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) answer.append(buffer, static_cast<std::size_t>(n));
    closed = n == 0 || ::send(sock, "s", 1, MSG_NOSIGNAL) != 1;
  }
  ::close(sock);
  EXPECT_TRUE(closed);
  EXPECT_EQ(answer.rfind("HTTP/1.1 408 Request Timeout\r\n", 0), 0u) << answer;
}

// Connections that never send a request hold only their own threads.
TEST_F(StaticSiteTest, IdleConnectionsDoNotHoldUpNewRequests) {
  dir_.Write(L"pkg.json", "{}");
  Start();
  std::vector<int> idle;
  for (int i = 0; i < 200; ++i) {
    idle.push_back(Connect(port_));
    ASSERT_GE(idle.back(), 0);
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
