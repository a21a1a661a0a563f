#include "platform/process.h"
#include "shell/entry.h"

int main(int argc, char** argv) {
  orvex::platform::SetProgramArguments(argc, argv);
  return orvex::ProgramEntry();
}
