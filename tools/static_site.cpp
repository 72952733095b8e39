#include "static_site.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "byte_ranges.h"
#include "connection_pool.h"
#include "platform/text_codec.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFastChunk = 64 * 1024;
// A throttled body goes out in ten slices a second, at most 1 MiB each.
constexpr std::uint64_t kSlicesPerSecond = 10;
constexpr std::uint64_t kLargestSlice = 1024 * 1024;
// Connections served at once; an idle one is closed after kIdleSeconds.
constexpr std::size_t kMostConnections = 1024;
constexpr time_t kIdleSeconds = 5;

bool IsAllowedStep(const std::string& step) {
  return !step.empty() && step != "." && step != ".." &&
         step.find_first_of(std::string("\\:\0", 3)) == std::string::npos;
}

// One response's open file and the segments its body is made of, read
// wherever the connection asks next.
class FileBody {
 public:
  FileBody(const fs::path& path, std::vector<BodySegment> segments, std::size_t chunk,
           std::chrono::microseconds pause)
      : in_(path, std::ios::binary),
        segments_(std::move(segments)),
        buffer_(chunk),
        pause_(pause) {}

  bool IsOpen() const { return in_.is_open(); }

  std::uint64_t Length() const {
    std::uint64_t total = 0;
    for (const BodySegment& segment : segments_) total += segment.length;
    return total;
  }

  bool Send(std::uint64_t offset, std::uint64_t length, httplib::DataSink& sink) {
    for (const BodySegment& segment : segments_) {
      if (offset >= segment.length) {
        offset -= segment.length;
        continue;
      }
      std::uint64_t n = std::min<std::uint64_t>({buffer_.size(), length, segment.length - offset});
      if (!segment.text.empty()) {
        return sink.write(segment.text.data() + offset, static_cast<std::size_t>(n));
      }
      std::uint64_t at = segment.fileOffset + offset;
      if (at != next_) in_.seekg(static_cast<std::streamoff>(at));
      in_.read(buffer_.data(), static_cast<std::streamsize>(n));
      // A file that shrank while it was sent ends the connection.
      if (static_cast<std::uint64_t>(in_.gcount()) != n) return false;
      next_ = at + n;
      // A short piece (a part of a multipart answer) waits its share only.
      if (pause_.count() > 0) std::this_thread::sleep_for(pause_ * n / buffer_.size());
      return sink.write(buffer_.data(), static_cast<std::size_t>(n));
    }
    return false;
  }

 private:
  std::ifstream in_;
  std::vector<BodySegment> segments_;
  std::vector<char> buffer_;
  std::chrono::microseconds pause_;
  std::uint64_t next_ = 0;
};

// Changes whenever the file's size or modification time does.
std::string EntityTag(const fs::path& file, std::uint64_t size) {
  std::error_code error;
  auto written = fs::last_write_time(file, error).time_since_epoch().count();
  char tag[64];
  std::snprintf(tag, sizeof tag, "\"%llx-%llx\"", static_cast<unsigned long long>(size),
                static_cast<unsigned long long>(written));
  return tag;
}

// True when `file`, with every link resolved, lies below `root`.
bool LiesBelow(const fs::path& file, const fs::path& root) {
  std::error_code error;
  fs::path realFile = fs::canonical(file, error);
  if (error) return false;
  fs::path realRoot = fs::canonical(root, error);
  if (error) return false;
  auto mismatch = std::mismatch(realRoot.begin(), realRoot.end(), realFile.begin(), realFile.end());
  return mismatch.first == realRoot.end() && mismatch.second != realFile.end();
}

// Sets the reply's status and the headers that describe its body; false for
// a 416, which has none.
bool TakeReply(const RangeResponse& reply, httplib::Response& response) {
  response.status = reply.status;
  if (!reply.contentRange.empty()) response.set_header("Content-Range", reply.contentRange);
  if (reply.status != 416) response.set_header("Accept-Ranges", "bytes");
  return reply.status != 416;
}

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
  if (!fs::is_regular_file(file, error) || !LiesBelow(file, root)) return std::nullopt;
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
  // httplib's default also sets SO_REUSEPORT, which lets a second server
  // share a port that is in use and split its requests.
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
#ifdef _WIN32
    setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
               sizeof yes);
#else
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
  });
  server.new_task_queue = [] { return new ConnectionPool(kMostConnections); };
  server.set_keep_alive_timeout(kIdleSeconds);
  server.set_read_timeout(kIdleSeconds, 0);
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
  server.Get(
      ".*", [root, chunk, pause](const httplib::Request& request, httplib::Response& response) {
        // The ranges are answered here; httplib would otherwise cut the answer
        // again by the same header, without checking them.
        const_cast<httplib::Request&>(request).ranges.clear();
        std::optional<fs::path> file = SiteFile(root, request.path);
        std::error_code error;
        std::uint64_t size = file ? fs::file_size(*file, error) : 0;
        if (!file || error) {
          response.status = 404;
          return;
        }
        std::string tag = EntityTag(*file, size);
        response.set_header("ETag", tag);
        std::string range = request.has_header("Range") ? request.get_header_value("Range") : "";
        RangeResponse plan = AnswerRangeRequest(range, request.get_header_value("If-Range"), tag,
                                                size, SiteContentType(*file));
        if (!TakeReply(plan, response)) return;
        auto body = std::make_shared<FileBody>(*file, std::move(plan.segments), chunk, pause);
        if (!body->IsOpen()) {
          response.status = 403;
          return;
        }
        std::uint64_t length = body->Length();
        if (length == 0) {
          // A provider of no bytes would leave the client waiting.
          response.set_content("", plan.contentType);
          return;
        }
        response.set_content_provider(
            static_cast<std::size_t>(length), plan.contentType,
            [body](std::size_t offset, std::size_t count, httplib::DataSink& sink) {
              return body->Send(offset, count, sink);
            });
      });
}
