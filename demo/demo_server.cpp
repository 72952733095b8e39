// Serves the demo site from a directory on 127.0.0.1, logs every request, and
// can send zip packages slowly so that the progress bar can be watched.
//
// Usage: demo-server DIR [--port N] [--log FILE] [--port-file FILE]
//                        [--package-rate BYTES_PER_SECOND]
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace {

struct Options {
  std::string root;
  int port = 0;
  std::string logPath;
  std::string portFile;
  long packageRate = 0;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* given = nullptr;
    if (arg == "--port" && (given = value())) {
      options.port = std::atoi(given);
    } else if (arg == "--log" && (given = value())) {
      options.logPath = given;
    } else if (arg == "--port-file" && (given = value())) {
      options.portFile = given;
    } else if (arg == "--package-rate" && (given = value())) {
      options.packageRate = std::atol(given);
    } else if (!arg.empty() && arg[0] != '-' && options.root.empty()) {
      options.root = arg;
    } else {
      return false;
    }
  }
  return !options.root.empty();
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string ReadFile(const std::string& path, bool& found) {
  std::ifstream in(path, std::ios::binary);
  found = static_cast<bool>(in);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::cerr << "usage: demo-server DIR [--port N] [--log FILE] [--port-file FILE]"
                 " [--package-rate BYTES_PER_SECOND]\n";
    return 2;
  }
  std::mutex logMutex;
  std::ofstream log;
  if (!options.logPath.empty()) log.open(options.logPath, std::ios::app);

  httplib::Server server;
  // Logged on arrival, so a test sees a package request while it is sent.
  server.set_pre_routing_handler([&](const httplib::Request& request, httplib::Response&) {
    std::lock_guard<std::mutex> lock(logMutex);
    std::string target = request.target.empty() ? request.path : request.target;
    (log.is_open() ? log : std::cout) << request.method << ' ' << target << std::endl;
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.Get(R"(/(.*))", [&](const httplib::Request& request, httplib::Response& response) {
    std::string path = request.path;
    if (path.find("..") != std::string::npos) {
      response.status = 403;
      return;
    }
    if (path == "/" || path.empty()) path = "/index.html";
    if (path == "/login") {
      // Reached only when nothing intercepted the login link.
      response.set_content("<html><body>login</body></html>", "text/html; charset=utf-8");
      return;
    }
    bool found = false;
    auto body = std::make_shared<std::string>(ReadFile(options.root + path, found));
    if (!found) {
      response.status = 404;
      return;
    }
    std::string type = EndsWith(path, ".html")   ? "text/html; charset=utf-8"
                       : EndsWith(path, ".json") ? "application/json"
                       : EndsWith(path, ".png")  ? "image/png"
                       : EndsWith(path, ".css")  ? "text/css"
                                                 : "application/octet-stream";
    if (!EndsWith(path, ".zip") || options.packageRate <= 0) {
      response.set_content(*body, type);
      return;
    }
    // Ten slices a second at the given rate.
    std::size_t slice = static_cast<std::size_t>(options.packageRate / 10 + 1);
    response.set_content_provider(
        body->size(), type,
        [body, slice](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          std::size_t n = std::min(slice, length);
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
          return sink.write(body->data() + offset, n);
        });
  });

  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port("127.0.0.1");
  } else if (!server.bind_to_port("127.0.0.1", port)) {
    port = -1;
  }
  if (port <= 0) {
    std::cerr << "demo-server: cannot listen on 127.0.0.1\n";
    return 1;
  }
  if (!options.portFile.empty()) {
    std::ofstream out(options.portFile + ".tmp");
    out << port << '\n';
    out.close();
    std::rename((options.portFile + ".tmp").c_str(), options.portFile.c_str());
  }
  std::cout << "demo-server: http://127.0.0.1:" << port << "/" << std::endl;
  return server.listen_after_bind() ? 0 : 1;
}
