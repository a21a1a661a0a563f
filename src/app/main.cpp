#include "app/entry.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  orvex::platform::SetProgramArguments(argc, argv);
  return orvex::ProgramEntry();
}
