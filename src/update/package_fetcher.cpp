#include "update/package_fetcher.h"

#include <algorithm>
#include <cstddef>

#include "update/sibling_address.h"

namespace {

// Ranges asked for in one request: the Range header stays within a few
// hundred bytes, far below what servers accept.
constexpr std::size_t kRangesPerRequest = 32;

}  // namespace

PackageFetcher::PackageFetcher(platform::HttpTransport& transport,
                               const platform::ArchiveFiles& files, const DownloadRules& rules,
                               std::wstring url, DownloadProgress* progress)
    : transport_(transport),
      files_(files),
      rules_(rules),
      url_(std::move(url)),
      progress_(progress),
      steps_(progress) {}

DownloadResult PackageFetcher::FetchWhole(const std::wstring& path, const DownloadRules& rules) {
  DownloadResult result = DownloadFile(transport_, files_, url_, path, progress_, rules);
  requests_ += result.attempts;
  fetched_ += result.received;
  return result;
}

DownloadResult PackageFetcher::FetchBeside(const std::wstring& suffix, const std::wstring& path,
                                           std::uint64_t mostBytes, std::string& bytes) {
  DownloadRules rules = rules_;
  rules.resumable = false;
  rules.continueAnyPart = false;
  rules.sha256 = false;
  rules.mostBytes = mostBytes;
  DownloadResult result =
      DownloadFile(transport_, files_, SiblingAddress(url_, suffix), path, nullptr, rules);
  requests_ += result.attempts;
  fetched_ += result.received;
  DropPartialDownload(files_, path);
  if (result.Ok()) {
    platform::ReadStatus read = files_.ReadWholeFile(path, mostBytes, bytes);
    if (read != platform::ReadStatus::Ok) result.error = DownloadError::FileError;
  }
  files_.RemoveFile(path);
  return result;
}

RangeSink PackageFetcher::Counted(const RangeSink& sink) {
  return [this, &sink](std::uint64_t offset, const char* data, std::size_t size) {
    fetched_ += size;
    if (total_ != 0) steps_.Update(fetched_, total_);
    return sink(offset, data, size);
  };
}

void PackageFetcher::Expect(std::uint64_t more) {
  total_ = fetched_ + more;
}

RangeReply PackageFetcher::FetchTail(std::uint64_t count, const RangeSink& sink) {
  ++requests_;
  RangeReply reply =
      FetchRange(transport_, url_, "-" + std::to_string(count), {}, rules_, Counted(sink));
  if (reply.Ok()) {
    validator_ = reply.validator;
    fileSize_ = reply.fileSize;
  }
  return reply;
}

RangeReply PackageFetcher::FetchSpan(const ByteSpan& span, const RangeSink& sink) {
  ++requests_;
  RangeReply reply =
      FetchRange(transport_, url_, std::to_string(span.first) + "-" + std::to_string(span.last),
                 validator_, rules_, Counted(sink));
  if (reply.Ok() && reply.fileSize != fileSize_) reply.error = RangeError::BadRange;
  return reply;
}

RangeReply PackageFetcher::FetchSpans(const std::vector<ByteSpan>& spans, const RangeSink& sink) {
  RangeSink counted = Counted(sink);
  bool several = true;
  for (std::size_t at = 0; at < spans.size();) {
    std::size_t count = several ? std::min(kRangesPerRequest, spans.size() - at) : 1;
    std::vector<ByteSpan> batch(spans.begin() + static_cast<std::ptrdiff_t>(at),
                                spans.begin() + static_cast<std::ptrdiff_t>(at + count));
    ++requests_;
    RangeReply reply = FetchRanges(transport_, url_, batch, validator_, fileSize_, rules_, counted);
    if (reply.error == RangeError::NotPartial && count > 1) {
      several = false;
      continue;
    }
    if (!reply.Ok()) return reply;
    at += count;
  }
  return {};
}
