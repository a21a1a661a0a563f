#pragma once

namespace orvex::platform {

// The local time zone's current bias in minutes (UTC = local time + bias), daylight saving
// included. False when the zone cannot be read.
bool LocalTimeBiasMinutes(int& bias);

}  // namespace orvex::platform
