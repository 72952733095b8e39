#include "files/utc_time.h"

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool ReadDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and
// back: the civil-calendar conversions with eras of 400 years.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;
  std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

std::string Padded(std::int64_t value, std::size_t width) {
  std::string digits = std::to_string(value);
  return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

}  // namespace

std::optional<std::int64_t> ParseUtcTime(std::string_view text) {
  int year, month, day, hour, minute, second;
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z' || !ReadDigits(text, 0, 4, year) ||
      !ReadDigits(text, 5, 2, month) || !ReadDigits(text, 8, 2, day) ||
      !ReadDigits(text, 11, 2, hour) || !ReadDigits(text, 14, 2, minute) ||
      !ReadDigits(text, 17, 2, second)) {
    return std::nullopt;
  }
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) *
             kSecondsPerDay +
         hour * 3600 + minute * 60 + second;
}

std::string FormatUtcTime(std::int64_t seconds) {
  std::int64_t days =
      seconds >= 0 ? seconds / kSecondsPerDay : -((-seconds + kSecondsPerDay - 1) / kSecondsPerDay);
  std::int64_t ofDay = seconds - days * kSecondsPerDay;
  std::int64_t year;
  unsigned month, day;
  CivilFromDays(days, year, month, day);
  return Padded(year, 4) + "-" + Padded(month, 2) + "-" + Padded(day, 2) + "T" +
         Padded(ofDay / 3600, 2) + ":" + Padded(ofDay / 60 % 60, 2) + ":" + Padded(ofDay % 60, 2) +
         "Z";
}
