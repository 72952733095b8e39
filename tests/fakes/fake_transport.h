// A transport that answers from a table of addresses (compared without the
// cache-buster query) and records what was asked. A response with an entity
// tag answers range requests as a static server does.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "byte_ranges.h"
#include "platform/http_transport.h"

class FakeTransport final : public platform::HttpTransport {
 public:
  struct Response {
    // False: the connection fails, for `cause`.
    bool ok = true;
    std::string body;
    int status = 200;
    platform::SystemError cause = {};
    // Ranges are answered only with one, as servers answer only with a
    // validator that tells the versions apart.
    std::string etag = {};
  };

  void Serve(const std::wstring& address, Response response) {
    std::lock_guard<std::mutex> lock(mutex_);
    responses_[address] = std::move(response);
  }
  // Runs inside Get before it answers, with the requested address.
  void OnRequest(std::function<void(const std::wstring&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    onRequest_ = std::move(hook);
  }

  // Sends the body in four pieces.
  platform::TransportResult Get(const platform::HttpRequest& request,
                                platform::HttpReceiver& receiver) override {
    std::function<void(const std::wstring&)> hook;
    Response response{false, {}, 0, {}};
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request.url);
      hook = onRequest_;
      auto found = responses_.find(WithoutCacheBuster(request.url));
      if (found != responses_.end()) response = found->second;
    }
    if (hook) hook(request.url);
    if (!response.ok) return {platform::TransportOutcome::ConnectFailed, response.cause};
    platform::HttpHead head;
    head.status = response.status;
    if (!response.etag.empty() && response.status == 200) {
      RangeResponse reply = AnswerRangeRequest(
          request.byteRange.empty() ? "" : "bytes=" + request.byteRange, request.ifRange,
          response.etag, response.body.size(), "application/zip");
      head.status = reply.status;
      head.contentRange = reply.contentRange;
      head.contentType = reply.contentType;
      head.etag = response.etag;
      response.body = Compose(reply.segments, response.body);
    }
    head.contentLength = response.body.size();
    if (!receiver.OnHead(head)) return platform::TransportOutcome::Stopped;
    std::size_t piece = response.body.size() / 4 + 1;
    for (std::size_t at = 0; at < response.body.size(); at += piece) {
      std::size_t size = std::min(piece, response.body.size() - at);
      if (!receiver.OnBody(response.body.data() + at, size)) {
        return platform::TransportOutcome::Stopped;
      }
    }
    return platform::TransportOutcome::Ended;
  }

  std::vector<std::wstring> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  static std::string Compose(const std::vector<BodySegment>& segments, const std::string& file) {
    std::string body;
    for (const BodySegment& segment : segments) {
      body += segment.text.empty() ? file.substr(segment.fileOffset, segment.length) : segment.text;
    }
    return body;
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
