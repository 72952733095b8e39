// Downloads with libcurl. Redirects are followed, TLS certificates verified,
// only http and https are spoken, and any final status outside 200..299 is a
// failure. The body goes to "<path>.part", renamed over `path` on success.
#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/downloader.h"
#include "platform/file_system.h"
#include "platform/linux/unique_fd.h"
#include "platform/text_codec.h"

namespace platform {
namespace {

constexpr long kMaxRedirects = 10;
// Larger than libcurl's 16 KiB default: fewer write calls and progress
// notifications on a fast line.
constexpr long kReceiveBufferBytes = 256 * 1024;

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;

struct Transfer {
  int fd = -1;
  bool writeFailed = false;
  IBindStatusCallback* progress = nullptr;
  curl_off_t reportedReceived = -1;
  curl_off_t reportedTotal = -1;
  std::wstring statusText;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t length = size * count;
  size_t done = 0;
  while (done < length) {
    ssize_t n = ::write(transfer->fd, data + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      transfer->writeFailed = true;
      return 0;
    }
    done += static_cast<size_t>(n);
  }
  return length;
}

// libcurl calls this often, also while nothing arrives; the callback hears
// only of changes.
int ReportProgress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->progress == nullptr) return 0;
  if (received == transfer->reportedReceived && total == transfer->reportedTotal) return 0;
  transfer->reportedReceived = received;
  transfer->reportedTotal = total;
  HRESULT result =
      transfer->progress->OnProgress(static_cast<ULONG>(received), static_cast<ULONG>(total),
                                     BINDSTATUS_DOWNLOADINGDATA, transfer->statusText.c_str());
  return FAILED(result) ? 1 : 0;
}

class CurlDownloader final : public Downloader {
 public:
  explicit CurlDownloader(const DownloadLimits& limits) : limits_(limits) {}

  bool Download(const std::wstring& url, const std::wstring& path,
                IBindStatusCallback* progress) override {
    CurlHandle curl(curl_easy_init());
    if (!curl) return false;
    std::string target = NativePath(path);
    std::string partial = target + ".part";
    UniqueFd fd(::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.Valid()) return false;

    Transfer transfer;
    transfer.fd = fd.Get();
    transfer.progress = progress;
    transfer.statusText = url;
    std::string address = EncodeUtf8(url);
    Configure(curl.get(), address, transfer);

    CURLcode code = curl_easy_perform(curl.get());
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    bool ok = code == CURLE_OK && !transfer.writeFailed && status >= 200 && status < 300;
    ok = ::close(fd.Release()) == 0 && ok;
    if (ok && ::rename(partial.c_str(), target.c_str()) == 0) return true;
    ::unlink(partial.c_str());
    return false;
  }

 private:
  void Configure(CURL* curl, const std::string& address, Transfer& transfer) const {
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    // Worker threads: no signals for timeouts.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits_.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits_.lowSpeedBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits_.lowSpeedTime.count()));
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ReportProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }

  DownloadLimits limits_;
};

}  // namespace

std::shared_ptr<Downloader> MakeSystemDownloader(const DownloadLimits& limits) {
  // curl_global_init is not safe to race with other threads using libcurl.
  static std::once_flag initialised;
  std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return std::make_shared<CurlDownloader>(limits);
}

}  // namespace platform
