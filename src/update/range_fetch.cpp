#include "update/range_fetch.h"

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

}  // namespace

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
