#include "updater/version_text.h"

#include "core/exception.h"
#include "core/integer_rule.h"

namespace orvex {

std::int32_t ParseVersionText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  if (text.empty()) throw Exception(FormatMessage("'%s' is not a valid integer value", ""));
  const std::string line(text.substr(0, text.find_first_of("\r\n")));
  std::int32_t value = 0;
  if (!TextToInteger(line, value)) {
    throw Exception(FormatMessage("'%s' is not a valid integer value", line));
  }
  return value;
}

}  // namespace orvex
