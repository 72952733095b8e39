// micro-pkg list ARCHIVE: every entry as the launcher sees it.
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "command.h"
#include "command_output.h"
#include "files/zip_reader.h"

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kUnixEpochSeconds = 11644473600;

// "YYYY-MM-DDTHH:MM:SSZ" from 100-nanosecond units since 1601.
std::string IsoUtc(platform::FileTime time) {
  std::int64_t seconds = static_cast<std::int64_t>(time / kTicksPerSecond) - kUnixEpochSeconds;
  // Civil date from days since 1970-01-01 (Howard Hinnant's algorithm).
  std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  std::int64_t secondOfDay = seconds - days * 86400;
  std::int64_t z = days + 719468;
  std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  std::int64_t dayOfEra = z - era * 146097;
  std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  char text[96];
  std::snprintf(text, sizeof text,
                "%04" PRId64 "-%02" PRId64 "-%02" PRId64 "T%02" PRId64 ":%02" PRId64 ":%02" PRId64
                "Z",
                year, month, day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
  return text;
}

}  // namespace

CommandResult RunList(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 1) return CommandResult::BadArguments;
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  ZipReaderHandle reader = ZipReader::Open(*files, arguments[0]);
  if (!reader) {
    std::fprintf(stderr, "micro-pkg: cannot open the archive (%s)\n",
                 ArchiveResultName(ArchiveFileError));
    return CommandResult::Failed;
  }
  ArchiveEntry count;
  ZipReader::GetEntry(reader.get(), -1, &count);
  for (int index = 0; index < count.index; ++index) {
    ArchiveEntry entry;
    ArchiveResult result = ZipReader::GetEntry(reader.get(), index, &entry);
    char prefix[160];
    if (result != ArchiveOk) {
      std::snprintf(prefix, sizeof prefix, "%d %s", index, ArchiveResultName(result));
      PrintLine(prefix, L"");
      continue;
    }
    std::snprintf(prefix, sizeof prefix, "%d 0x%02" PRIx32 " %" PRIu64 " %" PRIu64 " %s ", index,
                  entry.attributes, entry.compressedSize, entry.uncompressedSize,
                  IsoUtc(entry.writeTime).c_str());
    PrintLine(prefix, entry.name);
  }
  ZipReader::Close(std::move(reader));
  return CommandResult::Ok;
}
