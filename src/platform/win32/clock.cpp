#include "platform/clock.h"

#include <windows.h>

namespace orvex::platform {

bool LocalTimeBiasMinutes(int& bias) {
  TIME_ZONE_INFORMATION zone{};
  DWORD kind = GetTimeZoneInformation(&zone);
  if (kind == TIME_ZONE_ID_INVALID) return false;
  bias = static_cast<int>(zone.Bias);
  if (kind == TIME_ZONE_ID_STANDARD) bias += static_cast<int>(zone.StandardBias);
  if (kind == TIME_ZONE_ID_DAYLIGHT) bias += static_cast<int>(zone.DaylightBias);
  return true;
}

}  // namespace orvex::platform
