#include "forward_proxy.h"

#include <cstdlib>

namespace {

constexpr const char* kLoopbackOrigin = "http://127.0.0.1:";

}  // namespace

ForwardProxy::ForwardProxy() {
  server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Forward(request, response);
  });
  server_.set_keep_alive_max_count(1);
  port_ = server_.bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  while (!server_.is_running()) std::this_thread::yield();
}

ForwardProxy::~ForwardProxy() {
  server_.stop();
  thread_.join();
}

std::string ForwardProxy::HostPort() const {
  return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> ForwardProxy::Forwarded() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return forwarded_;
}

void ForwardProxy::Forward(const httplib::Request& request, httplib::Response& response) {
  // A proxy is asked for the whole address. Wine sends the path alone when
  // the proxy's host name is the origin's, as here; the Host header names the
  // origin then. Other hosts are out of the tests' reach.
  std::string target = request.target;
  if (!target.empty() && target[0] == '/') {
    target = "http://" + request.get_header_value("Host") + target;
  }
  std::size_t prefix = std::char_traits<char>::length(kLoopbackOrigin);
  std::size_t pathStart = target.find('/', prefix);
  if (target.rfind(kLoopbackOrigin, 0) != 0 || pathStart == std::string::npos) {
    response.status = 400;
    return;
  }
  int port = std::atoi(target.c_str() + prefix);
  if (port == port_) {
    response.status = 400;
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    forwarded_.push_back(target);
  }
  httplib::Client origin("127.0.0.1", port);
  httplib::Headers headers;
  for (const char* name : {"Range", "If-Range"}) {
    if (request.has_header(name)) headers.emplace(name, request.get_header_value(name));
  }
  auto answer = origin.Get(target.substr(pathStart), headers);
  if (!answer) {
    response.status = 502;
    return;
  }
  // The origin has answered any range already.
  const_cast<httplib::Request&>(request).ranges.clear();
  response.status = answer->status;
  for (const char* name : {"Content-Range", "ETag", "Last-Modified"}) {
    if (answer->has_header(name)) response.set_header(name, answer->get_header_value(name));
  }
  response.set_content(answer->body, answer->get_header_value("Content-Type").c_str());
}
