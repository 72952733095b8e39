#include "update/download_step.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>

#include "core/client_root.h"
#include "files/sha256_digest.h"
#include "platform/web_address.h"
#include "update/content_range.h"

namespace {

// The size when the Content-Range begins at `offset` and runs to the end of
// a file of that size (0 when unknown); none when it does not continue the
// partial file.
std::optional<std::uint64_t> ContinuingRange(std::string_view header, std::uint64_t offset) {
  std::optional<ContentRange> range = ParseContentRange(header);
  if (!range || range->first != offset) return std::nullopt;
  if (!range->size) return 0;
  if (range->last + 1 != *range->size) return std::nullopt;
  return range->size;
}

// One attempt: receives the response into the partial file.
class Attempt final : public platform::HttpReceiver {
 public:
  Attempt(const platform::ArchiveFiles& files, const std::wstring& partPath,
          const std::wstring& validatorPath, DownloadProgress* progress, const DownloadRules& rules,
          std::uint64_t offset)
      : files_(files),
        partPath_(partPath),
        validatorPath_(validatorPath),
        steps_(progress),
        rules_(rules),
        offset_(offset),
        watch_(rules) {}

  bool OnHead(const platform::HttpHead& head) override {
    result.status = head.status;
    bool append = false;
    if (head.status == 206 && offset_ > 0) {
      auto size = ContinuingRange(head.contentRange, offset_);
      if (!size) return Fail(DownloadError::BadRange);
      append = true;
      total_ = *size;
    } else if (head.status == 200) {
      total_ = head.contentLength.value_or(0);
      offset_ = 0;
    } else {
      return Fail(DownloadError::HttpStatus);
    }
    expected_ = head.contentLength;
    result.resumedFrom = offset_;
    // Refused before a byte is written when the headers announce more.
    std::uint64_t announced = std::max(total_, offset_ + expected_.value_or(0));
    if (rules_.mostBytes > 0 && announced > rules_.mostBytes) return Fail(DownloadError::TooLarge);
    platform::OpenedFile opened = files_.OpenAppendingFile(partPath_, append);
    if (!opened.file) return Fail(DownloadError::FileError, opened.error);
    file_ = std::move(opened.file);
    if (rules_.sha256 && !append) hasher_.emplace();
    // The validator is written after the part is emptied, so it never
    // vouches for bytes of another version.
    if (rules_.resumable && !append) {
      std::string validator = StrongValidator(head);
      if (validator.empty()) {
        files_.RemoveFile(validatorPath_);
      } else if (platform::SystemResult written =
                     files_.ReplaceFileContents(validatorPath_, validator);
                 !written) {
        return Fail(DownloadError::FileError, written.Error());
      }
    }
    steps_.Update(offset_, total_);
    return true;
  }

  bool OnBody(const char* data, std::size_t size) override {
    if (rules_.mostBytes > 0 && offset_ + result.received + size > rules_.mostBytes) {
      return Fail(DownloadError::TooLarge);
    }
    if (platform::SystemResult written = file_->Write(data, size); !written) {
      return Fail(DownloadError::FileError, written.Error());
    }
    if (hasher_) hasher_->Update(data, size);
    result.received += size;
    watch_.Count(size);
    return OnTick();
  }

  bool OnTick() override {
    // Also while nothing arrives: the speed shown then falls.
    if (file_) steps_.Update(offset_ + result.received, total_);
    TransferVerdict verdict = watch_.Check();
    return verdict == TransferVerdict::Going || Fail(ErrorOf(verdict));
  }

  // Settles the result once the transport has returned.
  void Finish(const platform::TransportResult& transport) {
    if (result.error == DownloadError::None) {
      switch (transport.outcome) {
        case platform::TransportOutcome::Ended:
          if (!file_ || (expected_ && *expected_ != result.received)) {
            result.error = DownloadError::Dropped;
          }
          break;
        case platform::TransportOutcome::Stopped:
        case platform::TransportOutcome::Dropped:
          result.error = DownloadError::Dropped;
          break;
        case platform::TransportOutcome::ConnectFailed:
          result.error = DownloadError::ConnectFailed;
          break;
        case platform::TransportOutcome::TimedOut:
          result.error = ErrorOf(watch_.TimedOut());
          break;
        case platform::TransportOutcome::BadRedirect:
          result.error = DownloadError::BadRedirect;
          break;
      }
      if (!result.Ok()) result.cause = transport.cause;
    }
    if (file_) steps_.Settle(offset_ + result.received, total_);
    if (file_) {
      platform::SystemResult closed = file_->Close();
      if (!closed && result.Ok()) Fail(DownloadError::FileError, closed.Error());
    }
    if (result.Ok() && hasher_) result.sha256 = hasher_->FinishHex();
  }

  DownloadResult result;

 private:
  bool Fail(DownloadError error, platform::SystemError cause = {}) {
    result.error = error;
    result.cause = std::move(cause);
    return false;
  }

  static DownloadError ErrorOf(TransferVerdict verdict) {
    switch (verdict) {
      case TransferVerdict::TooLong:
        return DownloadError::TooLong;
      case TransferVerdict::Stalled:
        return DownloadError::Stalled;
      case TransferVerdict::TooSlow:
        return DownloadError::TooSlow;
      case TransferVerdict::Going:
        break;
    }
    return DownloadError::None;
  }

  const platform::ArchiveFiles& files_;
  const std::wstring& partPath_;
  const std::wstring& validatorPath_;
  ProgressSteps steps_;
  const DownloadRules& rules_;
  std::uint64_t offset_;
  std::uint64_t total_ = 0;
  std::optional<std::uint64_t> expected_;
  std::unique_ptr<platform::AppendingFile> file_;
  std::optional<Sha256Hasher> hasher_;
  TransferWatch watch_;
};

const wchar_t* DownloadErrorName(DownloadError error) {
  switch (error) {
    case DownloadError::None:
      return L"ok";
    case DownloadError::BadAddress:
      return L"not a web address";
    case DownloadError::ConnectFailed:
      return L"no connection";
    case DownloadError::HttpStatus:
      return L"refused status";
    case DownloadError::BadRange:
      return L"bad range";
    case DownloadError::Dropped:
      return L"dropped";
    case DownloadError::Stalled:
      return L"stalled";
    case DownloadError::TooSlow:
      return L"too slow";
    case DownloadError::TooLong:
      return L"too long";
    case DownloadError::TooLarge:
      return L"too large";
    case DownloadError::BadRedirect:
      return L"bad redirect";
    case DownloadError::FileError:
      return L"file error";
  }
  return L"";
}

bool IsWorthRetrying(DownloadError error, const DownloadRules& rules) {
  if (error == DownloadError::ConnectFailed) return rules.retryUnreachable;
  return error == DownloadError::Dropped || error == DownloadError::Stalled;
}

DownloadResult TryOnce(platform::HttpTransport& transport, const platform::ArchiveFiles& files,
                       const std::wstring& url, const std::wstring& path,
                       DownloadProgress* progress, const DownloadRules& rules) {
  const std::wstring partPath = PartPathOf(path);
  const std::wstring validatorPath = PartValidatorPathOf(path);
  platform::HttpRequest request;
  request.url = url;
  request.timeLimit = TransportTimeLimit(rules);
  std::uint64_t resumeFrom = 0;
  if (rules.resumable) {
    std::string validator;
    // A part without the validator of its version cannot be continued, nor
    // one already past the size limit.
    bool validated =
        files.ReadWholeFile(validatorPath, 4096, validator) == platform::ReadStatus::Ok &&
        !validator.empty();
    if (validated || rules.continueAnyPart) {
      resumeFrom = files.FileSize(partPath).value_or(0);
      if (rules.mostBytes > 0 && resumeFrom > rules.mostBytes) resumeFrom = 0;
      if (resumeFrom > 0) request.byteRange = std::to_string(resumeFrom) + "-";
      if (resumeFrom > 0 && !rules.continueAnyPart) request.ifRange = validator;
    }
  }
  Attempt attempt(files, partPath, validatorPath, progress, rules, resumeFrom);
  attempt.Finish(transport.Get(request, attempt));
  DownloadResult result = attempt.result;
  if (result.Ok()) {
    platform::SystemResult moved = files.MoveFileOver(partPath, path);
    if (!moved) {
      result.error = DownloadError::FileError;
      result.cause = moved.Error();
    }
  }
  // A part the server will not continue (416 for one already whole, say)
  // is dropped and the file fetched from its start. So is one of a file
  // larger than the limit: it is not the file asked for.
  bool refused =
      result.error == DownloadError::HttpStatus || result.error == DownloadError::BadRange;
  if (result.Ok() || !rules.resumable || (refused && resumeFrom > 0) ||
      result.error == DownloadError::TooLarge) {
    files.RemoveFile(partPath);
    files.RemoveFile(validatorPath);
  }
  if (refused && resumeFrom > 0) return TryOnce(transport, files, url, path, progress, rules);
  return result;
}

}  // namespace

DownloadResult DownloadFile(platform::HttpTransport& transport, const platform::ArchiveFiles& files,
                            const std::wstring& url, const std::wstring& path,
                            DownloadProgress* progress, const DownloadRules& rules) {
  DownloadResult result;
  if (!platform::IsWebAddress(url)) {
    result.error = DownloadError::BadAddress;
    return result;
  }
  for (std::size_t attempt = 0;; ++attempt) {
    result = TryOnce(transport, files, url, path, progress, rules);
    result.attempts = static_cast<int>(attempt + 1);
    if (result.Ok() || !IsWorthRetrying(result.error, rules) ||
        attempt >= rules.retryPauses.size()) {
      return result;
    }
    std::this_thread::sleep_for(rules.retryPauses[attempt]);
  }
}

void DropPartialDownload(const platform::ArchiveFiles& files, const std::wstring& path) {
  files.RemoveFile(PartPathOf(path));
  files.RemoveFile(PartValidatorPathOf(path));
}

std::wstring DescribeDownload(const DownloadResult& result) {
  std::wstring text = result.Ok() ? L"download ok: " : L"download failed (";
  if (!result.Ok()) text += std::wstring(DownloadErrorName(result.error)) + L"): ";
  text += std::to_wstring(result.status);
  if (result.resumedFrom > 0) text += L" from " + std::to_wstring(result.resumedFrom);
  text += L", " + std::to_wstring(result.received) + L" bytes, " +
          std::to_wstring(result.attempts) + (result.attempts == 1 ? L" attempt" : L" attempts");
  if (!result.Ok() && result.cause.Known())
    text += L"; " + platform::DescribeSystemError(result.cause);
  return text;
}
