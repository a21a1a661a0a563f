#pragma once

#include <cstdint>

namespace orvex {

enum class UpdateDecision {
  kNone,            // nothing published (-1) or nothing newer than what is here
  kDownload,        // newer than both the data directory's and the installation's version
  kRolledBackOnce,  // newer, but that version was rolled back once: never fetched again
};

// What the version check does with the published version: download it only when it is newer
// (signed comparison) than both the data directory's and the installation's version and it is
// not the version rolled back before. -1 means no version was obtained.
UpdateDecision DecideUpdate(std::int32_t remote, std::int32_t local, std::int32_t installed,
                            std::int32_t failed);

}  // namespace orvex
