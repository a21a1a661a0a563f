#pragma once

#include <string>
#include <string_view>

namespace orvex {

// A moment as days since 1899-12-30 00:00, the fraction being the time of day. Local or UTC
// depending on where it comes from; 0 means "none".
using TDateTime = double;

constexpr double kSecondsPerDay = 86400.0;

// Calendar date and time; false (result untouched) when the date does not exist.
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                       TDateTime& result);
TDateTime NowUtc();
// The present local time (UTC + LocalUtcOffset).
TDateTime NowLocal();

// Local time = UTC + offset. Raises ENetFailedToRetreiveTimeZoneInfo when the zone cannot be read.
TDateTime LocalUtcOffset();

// "Sun, 06 Nov 1994 08:49:37 GMT"; d is taken as UTC.
std::string FormatHttpDate(TDateTime d);

// Reads the RFC 1123, RFC 850 and asctime forms; 0 for an empty text or any failure. `zone`
// receives the text left after the date and time (e.g. "GMT" or "+0100").
TDateTime ParseInternetDate(std::string_view text, std::string* zone = nullptr);
// "+hhmm" / "-hhmm" as a time; anything else 0.
TDateTime ParseGmtOffset(std::string_view text);
// The date in local time; 0 for an empty text.
TDateTime InternetDateToLocal(std::string_view text);

}  // namespace orvex
