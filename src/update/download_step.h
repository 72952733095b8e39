// The one download step of the launcher, over a platform transport that only
// moves bytes: http and https only; the body goes to "<path>.part" and is
// renamed over `path` only when it is whole; a plain request is answered
// only by 200. A resumable download keeps its ".part" across failures and
// continues from its length, with the validator the server gave
// ("<path>.part.validator") in If-Range: a 206 whose Content-Range starts at
// that length appends, a 200 starts over, anything else fails.
#pragma once

#include <cstdint>
#include <string>

#include "platform/archive_files.h"
#include "platform/http_transport.h"
#include "platform/system_error.h"
#include "update/download_progress.h"
#include "update/download_rules.h"

enum class DownloadError {
  None,
  // Not an http or https address.
  BadAddress,
  ConnectFailed,
  // A status other than 200 (or 206 for a range request).
  HttpStatus,
  // A 206 whose Content-Range does not continue the partial file.
  BadRange,
  // The connection ended before the announced end of the body.
  Dropped,
  // Too slow for too long, or nothing at all arrived.
  Stalled,
  // Below the floor: hopeless, not tried again in this run.
  TooSlow,
  // Past the time limit.
  TooLong,
  // Past the size limit, announced or received.
  TooLarge,
  BadRedirect,
  // The partial file could not be written or renamed.
  FileError,
};

struct DownloadResult {
  DownloadError error = DownloadError::None;
  // The last status the server answered; 0 when none arrived.
  int status = 0;
  // Where the last attempt began (above 0 when it resumed) and how many
  // body bytes it received.
  std::uint64_t resumedFrom = 0;
  std::uint64_t received = 0;
  int attempts = 0;
  // With `DownloadRules::sha256`: lower-case hex of the whole file when the
  // last attempt wrote it from its first byte; empty after a resume.
  std::string sha256;
  // What the system said about the failure (the transport's or the file's
  // error), when it said anything.
  platform::SystemError cause;
  bool Ok() const { return error == DownloadError::None; }
};

// Downloads `url` to `path`, every file operation through `files`.
// `progress` (may be null) hears the bytes of the file so far, counting a
// resumed part, and the whole file's size when known, in the steps of
// ProgressSteps.
DownloadResult DownloadFile(platform::HttpTransport& transport, const platform::ArchiveFiles& files,
                            const std::wstring& url, const std::wstring& path,
                            DownloadProgress* progress, const DownloadRules& rules);

// Removes what a resumable download of `path` keeps between attempts: its
// ".part" and the part's validator.
void DropPartialDownload(const platform::ArchiveFiles& files, const std::wstring& path);

// One line for the trace: "download ok: 200, 1048576 bytes, 1 attempt" or
// "download failed (dropped): 206 from 524288, 1000 bytes, 5 attempts", the
// system's cause appended when there is one ("...; error 28: No space left
// on device").
std::wstring DescribeDownload(const DownloadResult& result);
