#include "shell/command_line.h"

#include <algorithm>

#include "platform/process.h"
#include "platform/text.h"

namespace orvex {

namespace {

constexpr unsigned char kQuote = '"';

unsigned char At(std::string_view text, std::size_t position) {
  return position < text.size() ? static_cast<unsigned char>(text[position]) : 0;
}

// Bytes to step over at `position`; a double-byte character counts as one character. The
// step never runs past the end of the text.
std::size_t StepAt(std::string_view text, std::size_t position) {
  if (position >= text.size()) return 0;
  std::string chunk(text.substr(position, 2));
  std::size_t step = platform::CharacterLength(chunk.c_str());
  if (step == 0) step = 1;  // an embedded NUL is stepped over like any other byte
  return std::min(step, text.size() - position);
}

}  // namespace

std::size_t CutArgument(std::string_view text, std::size_t position, std::string& param) {
  // The text ends at its first NUL, as the platform's text does.
  text = text.substr(0, text.find('\0'));
  for (;;) {
    while (At(text, position) != 0 && At(text, position) <= ' ') {
      position += StepAt(text, position);
    }
    if (At(text, position) == kQuote && At(text, position + 1) == kQuote) {
      position += 2;
      continue;
    }
    break;
  }
  param.clear();
  while (At(text, position) > ' ') {
    if (At(text, position) == kQuote) {
      ++position;
      while (At(text, position) != 0 && At(text, position) != kQuote) {
        std::size_t step = StepAt(text, position);
        param.append(text.substr(position, step));
        position += step;
      }
      if (At(text, position) == kQuote) ++position;
    } else {
      std::size_t step = StepAt(text, position);
      param.append(text.substr(position, step));
      position += step;
    }
  }
  return position;
}

std::string ArgumentOf(std::string_view commandLine, std::int32_t index) {
  if (index < 0) return {};
  std::string result;
  std::size_t position = 0;
  for (;;) {
    position = CutArgument(commandLine, position, result);
    if (index == 0 || result.empty()) break;
    --index;
  }
  return result;
}

std::string CommandArgument(std::int32_t index) {
  if (index < 0) return {};
  if (index == 0) return platform::ExecutablePath();
  return ArgumentOf(platform::CommandLineText(), index);
}

std::string DirectoryPart(std::string_view fileName, std::string_view delimiters) {
  std::size_t end = 0;
  std::size_t position = 0;
  while (position < fileName.size()) {
    std::size_t step = StepAt(fileName, position);
    if (step == 1 && delimiters.find(fileName[position]) != std::string_view::npos) {
      end = position + 1;
    }
    position += step;
  }
  return std::string(fileName.substr(0, end));
}

std::string DirectoryPart(std::string_view fileName) {
  return DirectoryPart(fileName, platform::DirectoryDelimiters());
}

std::string ExeDir() {
  return DirectoryPart(CommandArgument(0));
}

}  // namespace orvex
