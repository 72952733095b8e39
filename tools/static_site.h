// The web server behind micro-pkg serve: the files of one directory on
// loopback. Bodies stream from disk, so a package of any size costs no
// memory, and can be sent slowly to watch the launcher's progress bar.
#pragma once

#include <httplib.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

struct StaticSiteOptions {
  // Bytes a second for every body; 0 sends as fast as the connection takes.
  std::uint64_t bytesPerSecond = 0;
  // Told "METHOD TARGET" as each request arrives, before it is answered.
  std::function<void(const std::string& request)> log;
};

// Answers GET and HEAD requests of `server` with the files below `root`:
// ranges by RFC 9110 (If-Range against the ETag; 416 past the end; several
// ranges as multipart/byteranges), on a port that no other server shares,
// each connection on its own thread up to a bound, idle ones closed.
void ServeStaticSite(httplib::Server& server, const std::filesystem::path& root,
                     StaticSiteOptions options);

// The regular file below `root` that a decoded request path names ("/" and
// paths ending in "/" name their index.html), or none when the path has
// empty, "." or ".." steps, backslashes, colons or zero bytes, or when the
// file's real path (links resolved) lies outside `root`.
std::optional<std::filesystem::path> SiteFile(const std::filesystem::path& root,
                                              const std::string& requestPath);

// The Content-Type for a file name, by its extension.
const char* SiteContentType(const std::filesystem::path& file);
