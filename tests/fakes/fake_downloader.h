// A downloader that answers from a table of addresses (compared without the
// cache-buster query) and records what was asked.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/downloader.h"
#include "platform/file_system.h"

class FakeDownloader final : public platform::Downloader {
 public:
  struct Response {
    bool ok = true;
    std::string body;
    // (received, total) pairs reported before the body is written.
    std::vector<std::pair<ULONG, ULONG>> progress;
  };

  void Serve(const std::wstring& address, Response response) {
    std::lock_guard<std::mutex> lock(mutex_);
    responses_[address] = std::move(response);
  }
  // Runs inside Download before it answers, with the requested address.
  void OnRequest(std::function<void(const std::wstring&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    onRequest_ = std::move(hook);
  }

  bool Download(const std::wstring& url, const std::wstring& path,
                IBindStatusCallback* progress) override {
    std::function<void(const std::wstring&)> hook;
    Response response{false, {}, {}};
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(url);
      hook = onRequest_;
      auto found = responses_.find(WithoutCacheBuster(url));
      if (found != responses_.end()) response = found->second;
    }
    if (hook) hook(url);
    for (auto [received, total] : response.progress) {
      if (progress != nullptr) progress->OnProgress(received, total, 0, url.c_str());
    }
    return response.ok && platform::ReplaceFileContents(path, response.body);
  }

  std::vector<std::wstring> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  static std::wstring WithoutCacheBuster(const std::wstring& url) {
    auto at = url.rfind(L"?skq=");
    return at == std::wstring::npos ? url : url.substr(0, at);
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::wstring, Response> responses_;
  std::function<void(const std::wstring&)> onRequest_;
  std::vector<std::wstring> requests_;
};
