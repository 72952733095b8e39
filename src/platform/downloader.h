// Fetches an address into a file, synchronously, reporting progress.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/bind_status_callback.h"

namespace platform {

class Downloader {
 public:
  virtual ~Downloader() = default;
  // Blocks until the transfer ends. `progress` may be null; its OnProgress
  // runs on the calling thread with the bytes received so far and the
  // announced total (0 when unknown). True only when the whole body arrived
  // with a success status; it then lies at `path`. The body is received into
  // a file beside `path` and renamed over it only on success, so a failed
  // download never leaves a file that looks complete (and leaves whatever
  // was at `path` untouched).
  virtual bool Download(const std::wstring& url, const std::wstring& path,
                        IBindStatusCallback* progress) = 0;
};

// When a transfer is given up. The defaults let a slow line finish a large
// package but stop a server that stalls within about half a minute.
struct DownloadLimits {
  std::chrono::milliseconds connectTimeout{15000};
  // A transfer that moves fewer than `lowSpeedBytesPerSecond` on average over
  // `lowSpeedTime` is abandoned.
  long lowSpeedBytesPerSecond = 512;
  std::chrono::seconds lowSpeedTime{30};
};

// Shared, because detached workers keep using it after their starter is gone.
std::shared_ptr<Downloader> MakeSystemDownloader(const DownloadLimits& limits = {});

}  // namespace platform
