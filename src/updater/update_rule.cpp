#include "updater/update_rule.h"

namespace orvex {

UpdateDecision DecideUpdate(std::int32_t remote, std::int32_t local, std::int32_t installed,
                            std::int32_t failed) {
  if (remote == -1 || remote <= local || remote <= installed) return UpdateDecision::kNone;
  return remote == failed ? UpdateDecision::kRolledBackOnce : UpdateDecision::kDownload;
}

}  // namespace orvex
