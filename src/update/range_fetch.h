// One range request of the package: "Range: bytes=<ranges>" with the version's
// validator in If-Range, answered only by a 206 of that version and of no
// more bytes than were asked for, under the rules of every download (time
// limit, stall, floor).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/http_transport.h"
#include "platform/system_error.h"
#include "update/content_range.h"
#include "update/download_rules.h"

enum class RangeError {
  None,
  // A 200 (no range support, or If-Range saw another version) or any other
  // status than 206.
  NotPartial,
  // The 206 names another validator than the one asked for, or none.
  ValidatorChanged,
  // No usable Content-Range, not the range asked for, or more bytes than
  // asked for, announced or sent.
  BadRange,
  // The body ended before its range did, or the connection failed.
  Transfer,
  // The receiver of the bytes refused them.
  Refused,
  // Against the download rules.
  Stalled,
  TooSlow,
  TooLong,
};

struct RangeReply {
  RangeError error = RangeError::None;
  int status = 0;
  // The range and file size the 206 announced.
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  std::uint64_t fileSize = 0;
  // The response's strong validator.
  std::string validator;
  // What the system said about a failed transfer, when it said anything.
  platform::SystemError cause;
  bool Ok() const { return error == RangeError::None; }
};

// Hears the body: bytes at their offset in the file.
using RangeSink = std::function<bool(std::uint64_t offset, const char* data, std::size_t size)>;

// Asks `url` for `byteRange` ("-65557", "100-199"). With a `validator` it
// goes in If-Range, and the reply must carry the same one; without, the reply
// must carry one at all, so that later requests can hold it to its version.
// The reply must be the span asked for, or for a suffix at most that many of
// the file's last bytes.
RangeReply FetchRange(platform::HttpTransport& transport, const std::wstring& url,
                      const std::string& byteRange, const std::string& validator,
                      const DownloadRules& rules, const RangeSink& sink);

// Asks for all of `spans` in one request ("bytes=0-99,500-599"), answered by
// a multipart/byteranges 206 (or a plain one for a single span) of the
// version `validator` names and a file of `fileSize` bytes; every span must
// come whole, as asked. A 200 says the server sends no such answers (or the
// file changed).
RangeReply FetchRanges(platform::HttpTransport& transport, const std::wstring& url,
                       const std::vector<ByteSpan>& spans, const std::string& validator,
                       std::uint64_t fileSize, const DownloadRules& rules, const RangeSink& sink);

// "range refused (200)", "validator changed", ... for the trace; a failed
// transfer with the system's cause appended.
std::wstring DescribeRangeError(const RangeReply& reply);
