#include "http_test_server.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <atomic>

#include "platform/text_codec.h"

HttpTestServer::HttpTestServer() {
  server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Handler handler;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto found = routes_.find(request.path);
      if (found == routes_.end()) {
        response.status = 404;
        return;
      }
      handler = found->second;
    }
    Count(request);
    handler(request, response);
  });
  // One request per connection: clients that keep connections open would
  // otherwise hold the server's stop for its keep-alive timeout.
  server_.set_keep_alive_max_count(1);
  // A provider's length is a size_t; a longer announcement replaces it here.
  server_.set_post_routing_handler(
      [this](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = announced_.find(request.path);
        if (found == announced_.end() || response.status != 200) return;
        response.headers.erase("Content-Length");
        response.set_header("Content-Length", std::to_string(found->second));
      });
  port_ = server_.bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  // The socket already listens; waiting for the loop lets stop() end it.
  while (!server_.is_running()) std::this_thread::yield();
}

HttpTestServer::~HttpTestServer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  released_.notify_all();
  server_.stop();
  thread_.join();
}

std::string HttpTestServer::Address(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::wstring HttpTestServer::Url(const std::string& path) const {
  return platform::DecodeUtf8(Address(path));
}

void HttpTestServer::Route(const std::string& path, Handler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_[path] = std::move(handler);
  announced_.erase(path);
}

void HttpTestServer::Count(const httplib::Request& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++hits_[request.path];
  std::string query;
  for (const auto& [key, value] : request.params) query += key + "=" + value + ";";
  queries_[request.path] = query;
  headers_[request.path] = request.headers;
}

void HttpTestServer::ServeResumable(const std::string& path, std::string body, std::string etag,
                                    std::size_t dropAt, int drops) {
  auto responses = std::make_shared<std::atomic<int>>(0);
  Route(path, [this, path, body, etag, dropAt, drops, responses](const httplib::Request& request,
                                                                 httplib::Response& response) {
    // Answered here; httplib would cut the body by the Range header again.
    const_cast<httplib::Request&>(request).ranges.clear();
    std::size_t from = 0;
    std::string range = request.get_header_value("Range");
    std::string condition = request.get_header_value("If-Range");
    if (range.rfind("bytes=", 0) == 0 && range.back() == '-' &&
        (condition.empty() || condition == etag)) {
      from = std::stoull(range.substr(6));
      response.status = 206;
      response.set_header("Content-Range", "bytes " + std::to_string(from) + "-" +
                                               std::to_string(body.size() - 1) + "/" +
                                               std::to_string(body.size()));
    }
    if (!etag.empty()) response.set_header("ETag", etag);
    bool drop = (*responses)++ < drops;
    response.set_content_provider(
        body.size() - from, "application/octet-stream",
        [this, path, body, from, drop, dropAt](std::size_t offset, std::size_t length,
                                               httplib::DataSink& sink) {
          std::size_t at = from + offset;
          std::size_t end = std::min(body.size(), at + std::min<std::size_t>(length, 65536));
          if (drop) end = std::min(end, dropAt);
          if (at >= end) return false;
          {
            std::lock_guard<std::mutex> lock(mutex_);
            sent_[path] += end - at;
          }
          // About 64 MiB/s: as on a real line, little is under way when
          // the client stops reading.
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
          return sink.write(body.data() + at, end - at);
        });
  });
}

std::size_t HttpTestServer::BytesSent(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = sent_.find(path);
  return found == sent_.end() ? 0 : found->second;
}

std::string HttpTestServer::LastHeader(const std::string& path, const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = headers_.find(path);
  if (found == headers_.end()) return {};
  auto header = found->second.find(name);
  return header == found->second.end() ? std::string() : header->second;
}

void HttpTestServer::Serve(const std::string& path, std::string body, int status) {
  Route(path, [body, status](const httplib::Request&, httplib::Response& response) {
    response.status = status;
    response.set_content(body, "application/octet-stream");
  });
}

void HttpTestServer::ServeShort(const std::string& path, std::string body,
                                std::uint64_t announced) {
  // One byte more than the body makes the server drop the connection after it.
  std::size_t provided = body.size() + 1;
  Route(path, [body, provided](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(provided, "application/octet-stream",
                                  [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                    if (offset < body.size())
                                      sink.write(body.data() + offset, body.size() - offset);
                                    return offset < body.size();
                                  });
  });
  std::lock_guard<std::mutex> lock(mutex_);
  announced_[path] = announced;
}

void HttpTestServer::ServeChunked(const std::string& path, std::string body) {
  Route(path, [body](const httplib::Request&, httplib::Response& response) {
    response.set_chunked_content_provider(
        "application/octet-stream", [body](std::size_t offset, httplib::DataSink& sink) {
          constexpr std::size_t kChunk = 1000;
          if (offset >= body.size()) {
            sink.done();
            return true;
          }
          std::size_t length = std::min(kChunk, body.size() - offset);
          sink.write(body.data() + offset, length);
          return true;
        });
  });
}

void HttpTestServer::ServeStalling(const std::string& path, std::string body) {
  Route(path, [this, body](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(
        body.size(), "application/octet-stream",
        [this, body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
          if (offset == 0) {
            sink.write(body.data(), std::min<std::size_t>(body.size() / 2, 1000));
            return true;
          }
          std::unique_lock<std::mutex> lock(mutex_);
          released_.wait(lock, [this] { return stopping_; });
          return false;
        });
  });
}

void HttpTestServer::Redirect(const std::string& path, const std::string& target) {
  Route(path, [target](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(target);
  });
}

int HttpTestServer::Hits(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = hits_.find(path);
  return found == hits_.end() ? 0 : found->second;
}

std::string HttpTestServer::LastQuery(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = queries_.find(path);
  return found == queries_.end() ? std::string() : found->second;
}

// Bound and closed without ever listening, so a connection to it is refused
// (a probe server would keep its listening socket open to the end).
int UnusedPort() {
  socket_t probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = 0;
  if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
#ifdef _WIN32
  ::closesocket(probe);
#else
  ::close(probe);
#endif
  return port;
}
