// The one way the update reaches a package on its server: the whole file
// (resumable, retried, checked as it is written) or ranges of one version of
// it, and the files served beside it. Every request obeys the package's
// rules (bounds, floor, time limit, the player's cap) and is counted, for the
// progress bar and for the trace's "N bytes in M requests".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/archive_files.h"
#include "platform/http_transport.h"
#include "update/content_range.h"
#include "update/download_progress.h"
#include "update/download_rules.h"
#include "update/download_step.h"
#include "update/range_fetch.h"

class PackageFetcher {
 public:
  // `progress` (may be null) hears the bytes the ranges bring against the
  // bytes expected, and the whole file's own progress.
  PackageFetcher(platform::HttpTransport& transport, const platform::ArchiveFiles& files,
                 const DownloadRules& rules, std::wstring url, DownloadProgress* progress);

  const std::wstring& Url() const { return url_; }

  // The whole package into `path`, under `rules` rather than the fetcher's
  // (the declared size, the SHA-256 taken as it comes, the mirrors' part).
  DownloadResult FetchWhole(const std::wstring& path, const DownloadRules& rules);

  // The file served at the package's path plus `suffix`, of at most
  // `mostBytes`, read whole through `path` (removed again); none when it did
  // not come, with the reason.
  DownloadResult FetchBeside(const std::wstring& suffix, const std::wstring& path,
                             std::uint64_t mostBytes, std::string& bytes);

  // The file's last `count` bytes. Their reply's validator and size hold
  // every later range request to this version of the file.
  RangeReply FetchTail(std::uint64_t count, const RangeSink& sink);
  // `span` of that version, exactly.
  RangeReply FetchSpan(const ByteSpan& span, const RangeSink& sink);
  // All of `spans` of that version: up to 32 a request, and one a request
  // from a server that sends no multipart answers.
  RangeReply FetchSpans(const std::vector<ByteSpan>& spans, const RangeSink& sink);

  // From now on the bar shows the bytes fetched against those fetched so far
  // plus `more`; what came before goes unreported.
  void Expect(std::uint64_t more);

  std::uint64_t FileSize() const { return fileSize_; }
  std::uint64_t BytesFetched() const { return fetched_; }
  int Requests() const { return requests_; }

 private:
  RangeSink Counted(const RangeSink& sink);

  platform::HttpTransport& transport_;
  const platform::ArchiveFiles& files_;
  const DownloadRules& rules_;
  std::wstring url_;
  DownloadProgress* progress_;
  ProgressSteps steps_;
  std::string validator_;
  std::uint64_t fileSize_ = 0;
  std::uint64_t fetched_ = 0;
  std::uint64_t total_ = 0;
  int requests_ = 0;
};
