// Downloads through URL monikers: URLDownloadToFileW with the launcher's
// IBindStatusCallback for progress.
#include <urlmon.h>
#include <windows.h>

#include "platform/downloader.h"
#include "platform/file_system.h"

namespace platform {

namespace {

class UrlMonikerDownloader final : public Downloader {
 public:
  bool Download(const std::wstring& url, const std::wstring& path,
                IBindStatusCallback* progress) override {
    std::wstring partial = path + L".part";
    ::DeleteFileW(partial.c_str());
    if (FAILED(::URLDownloadToFileW(nullptr, url.c_str(), partial.c_str(), 0, progress)) ||
        GetPathKind(partial) != PathKind::File) {
      ::DeleteFileW(partial.c_str());
      return false;
    }
    if (!::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      ::DeleteFileW(partial.c_str());
      return false;
    }
    return true;
  }
};

}  // namespace

std::shared_ptr<Downloader> MakeSystemDownloader(const DownloadLimits&) {
  return std::make_shared<UrlMonikerDownloader>();
}

}  // namespace platform
