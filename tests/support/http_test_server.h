// A real HTTP server on 127.0.0.1 inside the test process, on a free port.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

class HttpTestServer {
 public:
  HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;
  // Releases stalled responses, then stops the server.
  ~HttpTestServer();

  int Port() const { return port_; }
  std::string Address(const std::string& path) const;
  std::wstring Url(const std::string& path) const;

  // Each of these (re)places the answer to GET `path`; other paths get 404.
  // Answers with the body and status.
  void Serve(const std::string& path, std::string body, int status = 200);
  // Announces `announced` bytes but sends only `body`, then drops the connection.
  // The count is written as it stands, past 4 GiB also in a 32-bit process.
  void ServeShort(const std::string& path, std::string body, std::uint64_t announced);
  // Sends `body` in chunks of unannounced total length.
  void ServeChunked(const std::string& path, std::string body);
  // Sends the first 1000 bytes of `body` (at most half of it), then nothing
  // until the server stops.
  void ServeStalling(const std::string& path, std::string body);
  void Redirect(const std::string& path, const std::string& target);
  // Serves `body` with the entity tag `etag` (none when empty) and answers
  // "Range: bytes=N-" with 206, or with 200 when If-Range names another tag.
  // The first `drops` responses end the connection once the file's first
  // `dropAt` bytes have gone out. Sent in 64 KiB pieces, 1 ms apart.
  void ServeResumable(const std::string& path, std::string body, std::string etag,
                      std::size_t dropAt = 0, int drops = 0);

  // Body bytes sent for `path` so far, and a header of its last request.
  std::size_t BytesSent(const std::string& path) const;
  std::string LastHeader(const std::string& path, const std::string& name) const;

  // How often `path` was asked for, and the last query string it came with.
  int Hits(const std::string& path) const;
  std::string LastQuery(const std::string& path) const;

  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
  void Route(const std::string& path, Handler handler);

 private:
  void Count(const httplib::Request& request);

  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable released_;
  bool stopping_ = false;
  std::map<std::string, Handler> routes_;
  std::map<std::string, int> hits_;
  std::map<std::string, std::string> queries_;
  std::map<std::string, std::size_t> sent_;
  std::map<std::string, httplib::Headers> headers_;
  std::map<std::string, std::uint64_t> announced_;
};

// A loopback port on which nothing listens.
int UnusedPort();
