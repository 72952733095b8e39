#include "files/entry_times.h"

#include "files/little_endian.h"

namespace {

constexpr std::uint16_t kExtendedTimestampId = 0x5455;
constexpr platform::FileTime kUnixEpochAsFileTime = 116444736000000000ull;
constexpr platform::FileTime kTicksPerSecond = 10000000;

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

platform::FileTime UnixSecondsToFileTime(std::int32_t seconds) {
  return static_cast<platform::FileTime>(static_cast<std::int64_t>(seconds) *
                                             static_cast<std::int64_t>(kTicksPerSecond) +
                                         static_cast<std::int64_t>(kUnixEpochAsFileTime));
}

}  // namespace

std::optional<platform::LocalDateTime> DosToLocal(std::uint32_t dosDateTime) {
  platform::LocalDateTime local;
  std::uint32_t date = dosDateTime >> 16;
  std::uint32_t time = dosDateTime & 0xFFFF;
  local.year = 1980 + static_cast<int>(date >> 9);
  local.month = static_cast<int>((date >> 5) & 0x0F);
  local.day = static_cast<int>(date & 0x1F);
  local.hour = static_cast<int>(time >> 11);
  local.minute = static_cast<int>((time >> 5) & 0x3F);
  local.second = static_cast<int>(time & 0x1F) * 2;
  if (local.month < 1 || local.month > 12) return std::nullopt;
  if (local.day < 1 || local.day > DaysInMonth(local.year, local.month)) return std::nullopt;
  if (local.hour > 23 || local.minute > 59 || local.second > 59) return std::nullopt;
  return local;
}

void ApplyExtendedTimestamps(std::string_view extraField, EntryTimes& times) {
  if (extraField.size() <= 4) return;
  std::size_t block = 0;
  while (extraField.size() - block >= 5) {
    auto id = static_cast<std::uint16_t>(ReadLittleEndian(extraField, block, 2));
    auto length = static_cast<std::size_t>(ReadLittleEndian(extraField, block + 2, 2));
    if (id != kExtendedTimestampId) {
      block += 4 + length;
      if (block >= extraField.size()) return;
      continue;
    }
    auto flags = static_cast<unsigned char>(extraField[block + 4]);
    std::size_t at = block + 5;
    platform::FileTime* fields[] = {&times.write, &times.access, &times.creation};
    for (int bit = 0; bit < 3; ++bit) {
      if ((flags & (1u << bit)) == 0) continue;
      if (at + 4 > extraField.size()) return;
      *fields[bit] =
          UnixSecondsToFileTime(static_cast<std::int32_t>(ReadLittleEndian(extraField, at, 4)));
      at += 4;
    }
    return;
  }
}
