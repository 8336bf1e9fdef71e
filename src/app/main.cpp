#include <algorithm>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/command_line.h"
#include "app/menu.h"
#include "engine/item_list_check.h"
#include "engine/run.h"
#include "platform/platform.h"
#include "state/generation_state.h"

int main(int argc, char** argv) {
  static GenerationState state;
  CommandLine commandLine;
  std::string error;
  if (!parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), commandLine, error)) {
    std::cerr << "mansion-randomizer: " << error << '\n' << kUsageHint << std::endl;
    return kExitBadArguments;
  }
  if (commandLine.help) {
    std::cout << usageText() << std::flush;
    return kExitSuccess;
  }
  if (commandLine.version) {
    std::cout << "mansion-randomizer " << state.version << std::endl;
    return kExitSuccess;
  }
  // hardware_concurrency may not know and say 0.
  state.searchThreads =
      commandLine.threads > 0 ? commandLine.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  if (!commandLine.checkFile.empty()) return checkItemListFile(state, checkRequestFor(commandLine));
  state.smartTerminal = stdoutIsTerminal();
  state.writeKeyRoute = commandLine.keyRoute;

  if (commandLine.skipMenu) {
    state.options = commandLine.options;
  } else if (!runMenu(state, std::cin, std::cout, clearConsole)) {
    std::cerr << "mansion-randomizer: the input ended before a run was chosen" << std::endl;
    return kExitEndOfInput;
  }
  int status = kExitWriteFailed;
  if (prepareOutputDirectory(state, commandLine.outputDirectory)) {
    // The menu printed this line itself.
    if (commandLine.skipMenu) printLine(state, generatingLine(state.options));
    status = runGeneration(state, commandLine.hasSeed ? commandLine.seed : clockSeed());
  }
  // Keeps a console window open until its last lines are read.
  if (!commandLine.skipMenu) waitForKey();
  return status;
}
