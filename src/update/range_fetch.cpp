#include "update/range_fetch.h"

#include <algorithm>
#include <optional>

#include "update/byteranges_body.h"
#include "update/content_range.h"

namespace {

class RangeReceiver final : public platform::HttpReceiver {
 public:
  RangeReceiver(const std::string& validator, const RangeSink& sink)
      : validator_(validator), sink_(sink) {}

  bool OnHead(const platform::HttpHead& head) override {
    reply.status = head.status;
    if (head.status != 206) return Fail(RangeError::NotPartial);
    std::optional<ContentRange> range = ParseContentRange(head.contentRange);
    if (!range || !range->size) return Fail(RangeError::BadRange);
    if (head.contentLength && *head.contentLength != range->last - range->first + 1) {
      return Fail(RangeError::BadRange);
    }
    reply.first = range->first;
    reply.last = range->last;
    reply.fileSize = *range->size;
    reply.validator = StrongValidator(head);
    if (reply.validator.empty() || (!validator_.empty() && reply.validator != validator_)) {
      return Fail(RangeError::ValidatorChanged);
    }
    headSeen_ = true;
    return true;
  }

  bool OnBody(const char* data, std::size_t size) override {
    std::uint64_t length = reply.last - reply.first + 1;
    if (received_ + size > length) return Fail(RangeError::BadRange);
    if (!sink_(reply.first + received_, data, size)) return Fail(RangeError::Refused);
    received_ += size;
    return true;
  }

  bool OnTick() override { return true; }

  void Finish(platform::TransportResult result) {
    if (reply.error != RangeError::None) return;
    bool whole = headSeen_ && received_ == reply.last - reply.first + 1;
    if (result != platform::TransportResult::Ended || !whole) reply.error = RangeError::Transfer;
  }

  RangeReply reply;

 private:
  bool Fail(RangeError error) {
    reply.error = error;
    return false;
  }

  const std::string& validator_;
  const RangeSink& sink_;
  bool headSeen_ = false;
  std::uint64_t received_ = 0;
};

// Hears a response to several ranges: each part must be one of the spans
// asked for, each span must come once and whole.
class SpansReceiver final : public platform::HttpReceiver {
 public:
  SpansReceiver(const std::vector<ByteSpan>& spans, const std::string& validator,
                std::uint64_t fileSize, const RangeSink& sink)
      : spans_(spans),
        validator_(validator),
        fileSize_(fileSize),
        sink_(sink),
        received_(spans.size(), 0) {}

  bool OnHead(const platform::HttpHead& head) override {
    reply.status = head.status;
    reply.fileSize = fileSize_;
    if (head.status != 206) return Fail(RangeError::NotPartial);
    reply.validator = StrongValidator(head);
    if (reply.validator != validator_) return Fail(RangeError::ValidatorChanged);
    body_ = ByteRangesBody::ForContentType(head.contentType);
    if (body_) return true;
    // A single part comes without the multipart frame.
    single_ = ParseContentRange(head.contentRange);
    return single_ && single_->size ? true : Fail(RangeError::BadRange);
  }

  bool OnBody(const char* data, std::size_t size) override {
    auto part = [this](const ContentRange& range, std::uint64_t offset, const char* bytes,
                       std::size_t count) { return Take(range, offset, bytes, count); };
    if (body_) return body_->Feed(data, size, part) || Fail(RangeError::BadRange);
    bool taken = part(*single_, single_->first + singleReceived_, data, size);
    singleReceived_ += size;
    return taken;
  }

  bool OnTick() override { return true; }

  void Finish(platform::TransportResult result) {
    if (reply.error != RangeError::None) return;
    bool whole = body_ ? body_->Complete() : single_.has_value();
    for (std::size_t i = 0; i < spans_.size(); ++i) {
      whole = whole && received_[i] == spans_[i].last - spans_[i].first + 1;
    }
    if (result != platform::TransportResult::Ended || !whole) reply.error = RangeError::Transfer;
  }

  RangeReply reply;

 private:
  bool Take(const ContentRange& range, std::uint64_t offset, const char* data, std::size_t size) {
    auto span = std::find_if(spans_.begin(), spans_.end(), [&range](const ByteSpan& s) {
      return s.first == range.first && s.last == range.last;
    });
    if (span == spans_.end() || range.size != fileSize_) return Fail(RangeError::BadRange);
    std::uint64_t& received = received_[static_cast<std::size_t>(span - spans_.begin())];
    if (offset != range.first + received || offset + size > range.last + 1) {
      return Fail(RangeError::BadRange);
    }
    received += size;
    return sink_(offset, data, size) || Fail(RangeError::Refused);
  }

  bool Fail(RangeError error) {
    reply.error = error;
    return false;
  }

  const std::vector<ByteSpan>& spans_;
  const std::string& validator_;
  std::uint64_t fileSize_;
  const RangeSink& sink_;
  std::vector<std::uint64_t> received_;
  std::optional<ByteRangesBody> body_;
  std::optional<ContentRange> single_;
  std::uint64_t singleReceived_ = 0;
};

}  // namespace

RangeReply FetchRanges(platform::HttpTransport& transport, const std::wstring& url,
                       const std::vector<ByteSpan>& spans, const std::string& validator,
                       std::uint64_t fileSize, const RangeSink& sink) {
  platform::HttpRequest request;
  request.url = url;
  for (const ByteSpan& span : spans) {
    if (!request.byteRange.empty()) request.byteRange += ",";
    request.byteRange += std::to_string(span.first) + "-" + std::to_string(span.last);
  }
  request.ifRange = validator;
  SpansReceiver receiver(spans, validator, fileSize, sink);
  receiver.Finish(transport.Get(request, receiver));
  return receiver.reply;
}

RangeReply FetchRange(platform::HttpTransport& transport, const std::wstring& url,
                      const std::string& byteRange, const std::string& validator,
                      const RangeSink& sink) {
  platform::HttpRequest request;
  request.url = url;
  request.byteRange = byteRange;
  request.ifRange = validator;
  RangeReceiver receiver(validator, sink);
  receiver.Finish(transport.Get(request, receiver));
  return receiver.reply;
}

std::wstring DescribeRangeError(const RangeReply& reply) {
  switch (reply.error) {
    case RangeError::None:
      return L"ok";
    case RangeError::NotPartial:
      return L"range refused (" + std::to_wstring(reply.status) + L")";
    case RangeError::ValidatorChanged:
      return L"validator changed";
    case RangeError::BadRange:
      return L"bad range";
    case RangeError::Transfer:
      return L"transfer failed";
    case RangeError::Refused:
      return L"file error";
  }
  return L"";
}
