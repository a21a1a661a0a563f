#pragma once

namespace orvex {

// Address family of a connection.
enum TNetIPVersion { Net_IPv4, Net_IPv6 };

}  // namespace orvex
