#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/command_line.h"
#include "app/menu.h"
#include "engine/item_list_check.h"
#include "engine/race.h"
#include "engine/run.h"
#include "placement/search_kernel.h"
#include "platform/platform.h"
#include "state/generation_state.h"

int main(int argc, char** argv) {
  static GenerationState state;
  RunSettings settings;
  Reporter reporter;
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
  // For benchmarks, tests and processors that misbehave: the build of the
  // search's inner loops, instead of the fastest this processor runs.
  const char* kernel = std::getenv("MANSION_KERNEL");
  if (kernel != nullptr && *kernel != '\0') {
    const char* lacking = nullptr;
    if (searchKernelNamed(kernel, lacking) == nullptr) {
      std::cerr << "mansion-randomizer: cannot use the search kernel MANSION_KERNEL=" << printable(kernel) << ": "
                << lacking << std::endl;
      return kExitBadArguments;
    }
    settings.search.kernel = kernel;
  }
  // hardware_concurrency may not know and say 0.
  settings.search.threads =
      commandLine.threads > 0 ? commandLine.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  if (!commandLine.checkFile.empty()) {
    return checkItemListFile(state, settings.search, reporter, checkRequestFor(commandLine));
  }
  reporter.smartTerminal = stdoutIsTerminal();
  settings.writeKeyRoute = commandLine.keyRoute;
  settings.writeSpoilerJson = commandLine.spoilerJson;
  settings.raceMode = commandLine.race;

  if (commandLine.skipMenu) {
    state.options = commandLine.options;
  } else if (!runMenu(state, std::cin, std::cout, clearConsole)) {
    std::cerr << "mansion-randomizer: the input ended before a run was chosen" << std::endl;
    return kExitEndOfInput;
  }
  // Read and proved first, so a plando that cannot be used leaves no folder.
  Plando plando;
  int status = commandLine.plandoFile.empty() ? kExitSuccess
                                              : loadPlando(state.options, reporter, commandLine.plandoFile, plando);
  usePlando(settings, plando);
  if (status == kExitSuccess && !prepareOutputDirectory(settings.output, reporter, commandLine.outputDirectory)) {
    status = kExitWriteFailed;
  }
  if (status == kExitSuccess) {
    uint32_t seed = commandLine.hasSeed ? commandLine.seed : clockSeed();
    if (settings.raceMode && !raceSeed(reporter, seed)) {
      status = kExitNoSecureRandom;
    } else {
      // The menu printed the generating line itself.
      status = runGeneration(state, settings, reporter, seed,
                             commandLine.skipMenu ? GeneratingLine::print : GeneratingLine::alreadyShown);
    }
  }
  // Keeps a console window open until its last lines are read.
  if (!commandLine.skipMenu) waitForKey();
  return status;
}
