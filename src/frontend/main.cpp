// The engine's entry point: the command loop on standard input and output.
#include <csignal>
#include <cstring>

#include "frontend/commandloop.h"

int main(int argc, char** argv) {
  // The interface sends SIGINT to its engines; the engine carries on.
  std::signal(SIGINT, SIG_IGN);
  // "--extended" turns on the extended protocol mode; any other argument is ignored.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--extended") == 0) ExtendedProtocol = true;
  }
  CommandLoop();
  return 0;
}
