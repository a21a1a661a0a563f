#include "http/internet_date.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "core/text.h"
#include "http/http_exception.h"
#include "platform/clock.h"

namespace orvex {

namespace {

using namespace std::chrono;

constexpr sys_days kEpoch = sys_days{year{1899} / December / 30};
constexpr std::array<const char*, 7> kDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int MonthOf(std::string_view token) {
  std::string upper = UpperCase(token);
  for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
    if (upper == UpperCase(kMonthNames[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

// Cuts `text` at the first `separator`: returns what came before, leaves what follows.
std::string TakeToken(std::string& text, char separator) {
  auto at = text.find(separator);
  std::string token = text.substr(0, at);
  text = at == std::string::npos ? std::string() : text.substr(at + 1);
  return token;
}

int IntOr(std::string_view text, int fallback) {
  return StrToInt32Def(Trim(text), fallback);
}

}  // namespace

bool TryEncodeDateTime(int y, int m, int d, int hour, int minute, int second, TDateTime& result) {
  year_month_day date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || !date.ok()) return false;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  double days = static_cast<double>((sys_days{date} - kEpoch).count());
  double time = (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
  // Before the epoch the fraction counts forward from the day as well.
  result = days >= 0 ? days + time : days - time;
  return true;
}

TDateTime NowUtc() {
  auto ms = duration_cast<milliseconds>(system_clock::now() - kEpoch).count();
  return static_cast<double>(ms) / (kSecondsPerDay * 1000.0);
}

TDateTime NowLocal() {
  return NowUtc() + LocalUtcOffset();
}

TDateTime LocalUtcOffset() {
  int bias = 0;
  if (!platform::LocalTimeBiasMinutes(bias)) {
    throw ENetFailedToRetreiveTimeZoneInfo("Failed attempting to retrieve time zone information.");
  }
  return -bias / (24.0 * 60.0);
}

std::string FormatHttpDate(TDateTime d) {
  auto totalMs = static_cast<long long>(std::llround(d * kSecondsPerDay * 1000.0));
  long long days = totalMs / 86400000LL;
  long long msOfDay = totalMs % 86400000LL;
  if (msOfDay < 0) {
    msOfDay += 86400000LL;
    --days;
  }
  sys_days when = kEpoch + std::chrono::days{days};
  year_month_day date{when};
  weekday wd{when};
  long long seconds = msOfDay / 1000;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02u %s %04d %02lld:%02lld:%02lld GMT",
                kDayNames[wd.c_encoding()], static_cast<unsigned>(date.day()),
                kMonthNames[static_cast<unsigned>(date.month()) - 1], static_cast<int>(date.year()),
                seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

TDateTime ParseInternetDate(std::string_view input, std::string* zone) {
  if (zone) zone->clear();
  std::string text = Trim(input);
  if (text.empty()) return 0;

  // A leading day name is dropped; "Sun,06" gets its blank first.
  if (text.size() >= 3) {
    std::string head = UpperCase(text.substr(0, 3));
    for (const char* name : kDayNames) {
      if (head != UpperCase(name)) continue;
      if (text.size() >= 5 && text[3] == ',' && text[4] != ' ')
        text = text.substr(0, 4) + " " + text.substr(4);
      auto blank = text.find(' ');
      text = blank == std::string::npos ? std::string() : TrimLeft(text.substr(blank + 1));
      break;
    }
  }

  auto firstBlank = text.find(' ');
  auto dash = text.find('-', 1);
  char separator = (dash != std::string::npos && dash < firstBlank) ? '-' : ' ';

  std::string dayText, monthText;
  auto firstSeparator = text.find(separator);
  if (MonthOf(text.substr(0, firstSeparator)) != 0) {
    monthText = TakeToken(text, separator);
    text = TrimLeft(text);
    dayText = TakeToken(text, separator);
  } else {
    dayText = TakeToken(text, separator);
    text = TrimLeft(text);
    monthText = TakeToken(text, separator);
  }
  text = TrimLeft(text);
  int dayNumber = IntOr(dayText, 1);
  int monthNumber = MonthOf(monthText);
  if (monthNumber == 0) return 0;

  std::string yearText = TakeToken(text, ' ');
  int yearNumber = IntOr(yearText, 1900);
  if (yearNumber == 1900) {
    // The asctime form has the time where the year would be and the year last.
    yearNumber = IntOr(text, 1900);
    text = yearText;
  }
  if (yearNumber >= 0 && yearNumber < 80) {
    yearNumber += 2000;
  } else if (yearNumber >= 80 && yearNumber <= 99) {
    yearNumber += 1900;
  }

  TDateTime result = 0;
  if (!TryEncodeDateTime(yearNumber, monthNumber, dayNumber, 0, 0, 0, result)) return 0;

  enum class Half { None, Am, Pm } half = Half::None;
  if (auto at = text.find("AM"); at != std::string::npos) {
    text = text.substr(0, at);
    half = Half::Am;
  } else if (auto pm = text.find("PM"); pm != std::string::npos) {
    text = text.substr(0, pm);
    half = Half::Pm;
  }

  if (text.find(':') != std::string::npos) {
    std::string timeText = TakeToken(text, ' ');
    int hour = IntOr(TakeToken(timeText, ':'), 0);
    int minute = IntOr(TakeToken(timeText, ':'), 0);
    int second = IntOr(timeText, 0);
    if (half == Half::Am && hour == 12) hour = 0;
    if (half == Half::Pm && hour < 12) hour += 12;
    // An impossible time makes the whole date unreadable rather than shifting it.
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return 0;
    result += (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
  }
  if (zone) *zone = TrimLeft(text);
  return result;
}

TDateTime ParseGmtOffset(std::string_view input) {
  std::string text = Trim(input).substr(0, 5);
  if (text.empty() || (text[0] != '+' && text[0] != '-')) return 0;
  if (text.size() < 5) return 0;
  auto hours = TryStrToInt32(text.substr(1, 2));
  auto minutes = TryStrToInt32(text.substr(3, 2));
  if (!hours || !minutes || *hours < 0 || *minutes < 0) return 0;
  double offset = (*hours * 60.0 + *minutes) / (24.0 * 60.0);
  return text[0] == '-' ? -offset : offset;
}

TDateTime InternetDateToLocal(std::string_view text) {
  if (Trim(text).empty()) return 0;
  std::string zone;
  TDateTime d = ParseInternetDate(text, &zone);
  TDateTime offset = zone.size() > 4 ? ParseGmtOffset(zone) : 0;
  return d - offset + LocalUtcOffset();
}

}  // namespace orvex
