#include <iostream>

#include "app/generation_state.h"
#include "app/menu.h"
#include "app/platform.h"
#include "app/run.h"

int main() {
  static GenerationState state;
  state.smartTerminal = stdoutIsTerminal();
  if (!runMenu(state, std::cin, std::cout, clearConsole)) return kExitEndOfInput;
  const int status = runGeneration(state, clockSeed());
  waitForKey();
  return status;
}
