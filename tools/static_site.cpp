#include "static_site.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/text_codec.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFastChunk = 64 * 1024;
// A throttled body goes out in ten slices a second, at most 1 MiB each.
constexpr std::uint64_t kSlicesPerSecond = 10;
constexpr std::uint64_t kLargestSlice = 1024 * 1024;

bool IsAllowedStep(const std::string& step) {
  return !step.empty() && step != "." && step != ".." &&
         step.find_first_of(std::string("\\:\0", 3)) == std::string::npos;
}

// One response's open file, read wherever the connection asks next.
class FileBody {
 public:
  FileBody(const fs::path& path, std::size_t chunk, std::chrono::microseconds pause)
      : in_(path, std::ios::binary), buffer_(chunk), pause_(pause) {}

  bool IsOpen() const { return in_.is_open(); }

  bool Send(std::size_t offset, std::size_t length, httplib::DataSink& sink) {
    std::size_t n = std::min(buffer_.size(), length);
    if (offset != next_) in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(buffer_.data(), static_cast<std::streamsize>(n));
    // A file that shrank while it was sent ends the connection.
    if (static_cast<std::size_t>(in_.gcount()) != n) return false;
    next_ = offset + n;
    if (pause_.count() > 0) std::this_thread::sleep_for(pause_);
    return sink.write(buffer_.data(), n);
  }

 private:
  std::ifstream in_;
  std::vector<char> buffer_;
  std::chrono::microseconds pause_;
  std::size_t next_ = 0;
};

}  // namespace

std::optional<fs::path> SiteFile(const fs::path& root, const std::string& requestPath) {
  if (requestPath.empty() || requestPath[0] != '/') return std::nullopt;
  std::string relative = requestPath.substr(1);
  if (relative.empty() || relative.back() == '/') relative += "index.html";
  fs::path file = root;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = std::min(relative.find('/', start), relative.size());
    std::string step = relative.substr(start, end - start);
    if (!IsAllowedStep(step)) return std::nullopt;
#ifdef _WIN32
    file /= platform::DecodeUtf8(step);
#else
    file /= step;
#endif
    start = end + 1;
  }
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return std::nullopt;
  return file;
}

const char* SiteContentType(const fs::path& file) {
  static const std::pair<const char*, const char*> kTypes[] = {
      {".html", "text/html; charset=utf-8"},
      {".htm", "text/html; charset=utf-8"},
      {".json", "application/json"},
      {".js", "text/javascript"},
      {".css", "text/css"},
      {".png", "image/png"},
      {".jpg", "image/jpeg"},
      {".svg", "image/svg+xml"},
      {".txt", "text/plain; charset=utf-8"},
      {".zip", "application/zip"},
  };
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const auto& [suffix, type] : kTypes) {
    if (extension == suffix) return type;
  }
  return "application/octet-stream";
}

void ServeStaticSite(httplib::Server& server, const fs::path& root, StaticSiteOptions options) {
  if (options.log) {
    server.set_pre_routing_handler(
        [log = options.log](const httplib::Request& request, httplib::Response&) {
          log(request.method + " " + (request.target.empty() ? request.path : request.target));
          return httplib::Server::HandlerResponse::Unhandled;
        });
  }
  std::size_t chunk = kFastChunk;
  std::chrono::microseconds pause{0};
  if (options.bytesPerSecond > 0) {
    std::uint64_t slice =
        std::clamp<std::uint64_t>(options.bytesPerSecond / kSlicesPerSecond, 1, kLargestSlice);
    chunk = static_cast<std::size_t>(slice);
    pause = std::chrono::microseconds(slice * 1000000 / options.bytesPerSecond);
  }
  server.Get(".*",
             [root, chunk, pause](const httplib::Request& request, httplib::Response& response) {
               std::optional<fs::path> file = SiteFile(root, request.path);
               std::error_code error;
               std::uintmax_t size = file ? fs::file_size(*file, error) : 0;
               if (!file || error) {
                 response.status = 404;
                 return;
               }
               if (size == 0) {
                 // A provider of no bytes would leave the client waiting.
                 response.set_content("", SiteContentType(*file));
                 return;
               }
               auto body = std::make_shared<FileBody>(*file, chunk, pause);
               if (!body->IsOpen()) {
                 response.status = 403;
                 return;
               }
               response.set_content_provider(
                   static_cast<std::size_t>(size), SiteContentType(*file),
                   [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                     return body->Send(offset, length, sink);
                   });
             });
}
