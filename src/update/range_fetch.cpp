#include "update/range_fetch.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/http_count.h"
#include "update/byteranges_body.h"
#include "update/content_range.h"

namespace {

// A part's delimiter and headers, as multipart/byteranges frames it, never
// need more (the body reader refuses longer ones); the close and an
// epilogue get one such allowance too.
constexpr std::uint64_t kFramingBytesPerPart = 16 * 1024;

// What a request asked for: the file's last `suffix` bytes, or `span`.
struct AskedRange {
  std::optional<std::uint64_t> suffix;
  ByteSpan span;
};

std::optional<AskedRange> ParseAsked(std::string_view text) {
  std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  AskedRange asked;
  if (dash == 0) {
    asked.suffix = platform::ParseHttpCount(text.substr(1));
    if (!asked.suffix || *asked.suffix == 0) return std::nullopt;
    return asked;
  }
  auto first = platform::ParseHttpCount(text.substr(0, dash));
  auto last = platform::ParseHttpCount(text.substr(dash + 1));
  if (!first || !last || *last < *first) return std::nullopt;
  asked.span = {*first, *last};
  return asked;
}

bool IsAsked(const AskedRange& asked, const ContentRange& range) {
  if (asked.suffix) {
    return range.last + 1 == *range.size && range.last - range.first < *asked.suffix;
  }
  return range.first == asked.span.first && range.last == asked.span.last;
}

// What both receivers share: the reply, and the watch that holds the
// transfer to the download rules.
class RuledReceiver : public platform::HttpReceiver {
 public:
  explicit RuledReceiver(const DownloadRules& rules) : watch_(rules) {}

  bool OnTick() override { return Judge(watch_.Check()); }

  RangeReply reply;

 protected:
  bool Fail(RangeError error) {
    reply.error = error;
    return false;
  }

  bool Counted(std::size_t size) {
    watch_.Count(size);
    return OnTick();
  }

  // False, with the error, when the transfer did not end well.
  bool EndedWell(const platform::TransportResult& result) {
    if (reply.error != RangeError::None) return false;
    if (result.outcome == platform::TransportOutcome::Ended) return true;
    bool ended = result.outcome == platform::TransportOutcome::TimedOut
                     ? Judge(watch_.TimedOut())
                     : Fail(RangeError::Transfer);
    if (!ended) reply.cause = result.cause;
    return ended;
  }

 private:
  bool Judge(TransferVerdict verdict) {
    switch (verdict) {
      case TransferVerdict::Going:
        return true;
      case TransferVerdict::TooLong:
        return Fail(RangeError::TooLong);
      case TransferVerdict::Stalled:
        return Fail(RangeError::Stalled);
      case TransferVerdict::TooSlow:
        return Fail(RangeError::TooSlow);
    }
    return Fail(RangeError::Transfer);
  }

  TransferWatch watch_;
};

class RangeReceiver final : public RuledReceiver {
 public:
  RangeReceiver(const AskedRange& asked, const std::string& validator, const DownloadRules& rules,
                const RangeSink& sink)
      : RuledReceiver(rules), asked_(asked), validator_(validator), sink_(sink) {}

  bool OnHead(const platform::HttpHead& head) override {
    reply.status = head.status;
    if (head.status != 206) return Fail(RangeError::NotPartial);
    std::optional<ContentRange> range = ParseContentRange(head.contentRange);
    if (!range || !range->size || !IsAsked(asked_, *range)) return Fail(RangeError::BadRange);
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
    return Counted(size);
  }

  void Finish(const platform::TransportResult& result) {
    if (!EndedWell(result)) return;
    if (!headSeen_ || received_ != reply.last - reply.first + 1) reply.error = RangeError::Transfer;
  }

 private:
  const AskedRange& asked_;
  const std::string& validator_;
  const RangeSink& sink_;
  bool headSeen_ = false;
  std::uint64_t received_ = 0;
};

// Hears a response to several ranges: each part must be one of the spans
// asked for, each span must come once and whole.
class SpansReceiver final : public RuledReceiver {
 public:
  SpansReceiver(const std::vector<ByteSpan>& spans, const std::string& validator,
                std::uint64_t fileSize, const DownloadRules& rules, const RangeSink& sink)
      : RuledReceiver(rules),
        spans_(spans),
        validator_(validator),
        fileSize_(fileSize),
        sink_(sink),
        received_(spans.size(), 0),
        mostBodyBytes_(kFramingBytesPerPart * (spans.size() + 1)) {
    for (const ByteSpan& span : spans) mostBodyBytes_ += span.last - span.first + 1;
  }

  bool OnHead(const platform::HttpHead& head) override {
    reply.status = head.status;
    reply.fileSize = fileSize_;
    if (head.status != 206) return Fail(RangeError::NotPartial);
    reply.validator = StrongValidator(head);
    if (reply.validator != validator_) return Fail(RangeError::ValidatorChanged);
    body_ = ByteRangesBody::ForContentType(head.contentType);
    if (!body_) {
      // A single part comes without the multipart frame, and must be one
      // of the spans.
      single_ = ParseContentRange(head.contentRange);
      if (!single_ || single_->size != fileSize_ || !IsSpan(*single_)) {
        return Fail(RangeError::BadRange);
      }
      mostBodyBytes_ = single_->last - single_->first + 1;
    }
    if (head.contentLength && *head.contentLength > mostBodyBytes_) {
      return Fail(RangeError::BadRange);
    }
    return true;
  }

  bool OnBody(const char* data, std::size_t size) override {
    bodyBytes_ += size;
    if (bodyBytes_ > mostBodyBytes_) return Fail(RangeError::BadRange);
    auto part = [this](const ContentRange& range, std::uint64_t offset, const char* bytes,
                       std::size_t count) { return Take(range, offset, bytes, count); };
    if (body_) {
      if (!body_->Feed(data, size, part)) return reply.Ok() ? Fail(RangeError::BadRange) : false;
    } else {
      if (!part(*single_, single_->first + singleReceived_, data, size)) return false;
      singleReceived_ += size;
    }
    return Counted(size);
  }

  void Finish(const platform::TransportResult& result) {
    if (!EndedWell(result)) return;
    bool whole = body_ ? body_->Complete() : single_.has_value();
    for (std::size_t i = 0; i < spans_.size(); ++i) {
      whole = whole && received_[i] == spans_[i].last - spans_[i].first + 1;
    }
    if (!whole) reply.error = RangeError::Transfer;
  }

 private:
  bool IsSpan(const ContentRange& range) const {
    return std::any_of(spans_.begin(), spans_.end(), [&range](const ByteSpan& s) {
      return s.first == range.first && s.last == range.last;
    });
  }

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

  const std::vector<ByteSpan>& spans_;
  const std::string& validator_;
  std::uint64_t fileSize_;
  const RangeSink& sink_;
  std::vector<std::uint64_t> received_;
  std::optional<ByteRangesBody> body_;
  std::optional<ContentRange> single_;
  std::uint64_t singleReceived_ = 0;
  std::uint64_t mostBodyBytes_;
  std::uint64_t bodyBytes_ = 0;
};

}  // namespace

RangeReply FetchRanges(platform::HttpTransport& transport, const std::wstring& url,
                       const std::vector<ByteSpan>& spans, const std::string& validator,
                       std::uint64_t fileSize, const DownloadRules& rules, const RangeSink& sink) {
  platform::HttpRequest request;
  request.url = url;
  request.timeLimit = TransportTimeLimit(rules);
  for (const ByteSpan& span : spans) {
    if (!request.byteRange.empty()) request.byteRange += ",";
    request.byteRange += std::to_string(span.first) + "-" + std::to_string(span.last);
  }
  request.ifRange = validator;
  SpansReceiver receiver(spans, validator, fileSize, rules, sink);
  receiver.Finish(transport.Get(request, receiver));
  return receiver.reply;
}

RangeReply FetchRange(platform::HttpTransport& transport, const std::wstring& url,
                      const std::string& byteRange, const std::string& validator,
                      const DownloadRules& rules, const RangeSink& sink) {
  std::optional<AskedRange> asked = ParseAsked(byteRange);
  if (!asked) {
    RangeReply reply;
    reply.error = RangeError::BadRange;
    return reply;
  }
  platform::HttpRequest request;
  request.url = url;
  request.byteRange = byteRange;
  request.ifRange = validator;
  request.timeLimit = TransportTimeLimit(rules);
  RangeReceiver receiver(*asked, validator, rules, sink);
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
      if (reply.cause.Known())
        return L"transfer failed; " + platform::DescribeSystemError(reply.cause);
      return L"transfer failed";
    case RangeError::Refused:
      return L"file error";
    case RangeError::Stalled:
      return L"stalled";
    case RangeError::TooSlow:
      return L"too slow";
    case RangeError::TooLong:
      return L"too long";
  }
  return L"";
}
