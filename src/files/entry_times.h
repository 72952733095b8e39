// Entry times: the DOS date and time of the central directory, and the
// extended-timestamp ("UT") block of the local extra field.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/archive_files.h"

// 1980-01-01 00:00:00 UTC, the time given to an entry whose DOS date or time
// is no valid calendar time.
inline constexpr platform::FileTime kInvalidDosTimeFallback = 119600064000000000ull;

// The DOS date (high 16 bits) and time (low 16 bits) read as a local time.
std::optional<platform::LocalDateTime> DosToLocal(std::uint32_t dosDateTime);

struct EntryTimes {
  platform::FileTime write = 0;
  platform::FileTime access = 0;
  platform::FileTime creation = 0;
};

// Replaces the times present in the first "UT" block of the extra field.
void ApplyExtendedTimestamps(std::string_view extraField, EntryTimes& times);
