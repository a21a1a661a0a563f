// Stands in for the Java runtime in the end-to-end tests. Reads "stub-java.conf" beside itself:
//   record=<file>    each start appends a block: "run", "cmdline=<text>", "arg=<word>"..., "end"
//   delay_ms=<n>     how long to stay running
//   exit=<n>         the exit code
//   fail_jar=<file>  when the jar after "-jar" holds the same bytes as this file...
//   fail_exit=<n>    ...exit at once with this code instead (a version that will not start)
// Without the file it records nothing and exits at once with code 0. The environment variable
// ORVEX_PROBE_HANDLES (decimal handle values, comma-separated) adds "handle=<value> open" or
// "handle=<value> closed" for each: what the process was given by the one that started it.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

#include "platform/process.h"
#include "shell/command_line.h"

int main(int argc, char** argv) {
  orvex::platform::SetProgramArguments(argc, argv);
  std::string record;
  long delayMs = 0;
  int exitCode = 0;
  // Closed before the handles are probed, so its own file cannot pass for an inherited one.
  std::ifstream config(orvex::ExeDir() + "stub-java.conf");
  std::string failJar;
  int failExit = 1;
  for (std::string line; std::getline(config, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key == "record") record = value;
    if (key == "delay_ms") delayMs = std::stol(value);
    if (key == "exit") exitCode = std::stoi(value);
    if (key == "fail_jar") failJar = value;
    if (key == "fail_exit") failExit = std::stoi(value);
  }
  config.close();
  if (!record.empty()) {
    std::ostringstream block;
    block << "run\n"
          << "cmdline=" << orvex::platform::CommandLineText() << "\n";
    for (int i = 0; i < argc; ++i) block << "arg=" << argv[i] << "\n";
    if (const char* probe = std::getenv("ORVEX_PROBE_HANDLES")) {
      std::istringstream values(probe);
      for (std::string value; std::getline(values, value, ',');) {
        const bool open = orvex::platform::HandleIsOpen(std::stoull(value));
        block << "handle=" << value << (open ? " open" : " closed") << "\n";
      }
    }
    block << "end\n";
    // One write per start, so a block is never split.
    std::ofstream out(record, std::ios::binary | std::ios::app);
    out << block.str() << std::flush;
  }
  if (!failJar.empty()) {
    auto bytes = [](const std::string& path) {
      std::ifstream in(path, std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (int i = 1; i + 1 < argc; ++i) {
      if (std::string(argv[i]) == "-jar" && bytes(argv[i + 1]) == bytes(failJar)) return failExit;
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
  return exitCode;
}
