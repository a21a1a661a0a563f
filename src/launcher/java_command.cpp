#include "launcher/java_command.h"

namespace orvex {

platform::ProcessCommand JavaCommand(const std::string& java, const std::string& memory,
                                     const std::string& jar, const std::string& argument,
                                     const std::string& exeDir) {
  const std::string heap = "-Xmx" + memory + "m";
  platform::ProcessCommand command;
  // The runtime's path is quoted: unquoted, an install directory with blanks lets Windows try
  // C:\Program.exe first and start whatever stands there.
  command.commandLine =
      "\"" + java + "\" " + heap + " -jar \"" + jar + "\" " + argument + " \"" + exeDir + "\"";
  command.arguments = {java, heap, "-jar", jar, argument, exeDir};
  return command;
}

}  // namespace orvex
