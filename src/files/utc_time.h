// UTC times as manifests write them, "YYYY-MM-DDTHH:MM:SSZ", and as seconds
// since 1970-01-01 (leap seconds ignored, as by every system clock).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// None unless `text` is exactly that form with a real date and a time of
// day from 00:00:00 to 23:59:59, in the years 1970 to 9999.
std::optional<std::int64_t> ParseUtcTime(std::string_view text);
std::string FormatUtcTime(std::int64_t seconds);
