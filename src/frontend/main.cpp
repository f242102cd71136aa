// The engine's entry point: the command loop on standard input and output.
#include <csignal>

#include "frontend/commandloop.h"

int main(int /*argc*/, char** /*argv*/) {
  // The interface sends SIGINT to its engines; the engine carries on.
  std::signal(SIGINT, SIG_IGN);
  CommandLoop();
  return 0;
}
