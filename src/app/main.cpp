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

namespace {

// The search's kernel (MANSION_KERNEL, for benchmarks, tests and processors
// that misbehave) and thread count; false after reporting a kernel this
// program or processor lacks.
bool chooseSearch(const CommandLine& commandLine, SearchSettings& search) {
  const char* kernel = std::getenv("MANSION_KERNEL");
  if (kernel != nullptr && *kernel != '\0') {
    const char* lacking = nullptr;
    if (searchKernelNamed(kernel, lacking) == nullptr) {
      std::cerr << "mansion-randomizer: cannot use the search kernel MANSION_KERNEL=" << printable(kernel) << ": "
                << lacking << std::endl;
      return false;
    }
    search.kernel = kernel;
  }
  // hardware_concurrency may not know and say 0.
  search.threads =
      commandLine.threads > 0 ? commandLine.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  return true;
}

// The run once its options are set: the plando, read and proved first so
// that one that cannot be used leaves no folder, the output folder, the seed
// (a race's from the secure source) and the run itself; its exit status.
int makeRun(GenerationState& state, RunSettings& settings, Reporter& reporter, const CommandLine& commandLine) {
  Plando plando;
  if (!commandLine.plandoFile.empty()) {
    const int status = loadPlando(state.options, reporter, commandLine.plandoFile, plando);
    if (status != kExitSuccess) return status;
  }
  usePlando(settings, plando);
  if (!prepareOutputDirectory(settings.output, reporter, commandLine.outputDirectory)) return kExitWriteFailed;
  uint32_t seed = commandLine.hasSeed ? commandLine.seed : clockSeed();
  if (settings.raceMode && !raceSeed(reporter, seed)) return kExitNoSecureRandom;
  // The menu printed the generating line itself.
  return runGeneration(state, settings, reporter, seed,
                       commandLine.skipMenu ? GeneratingLine::print : GeneratingLine::alreadyShown);
}

}  // namespace

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
  if (!chooseSearch(commandLine, settings.search)) return kExitBadArguments;
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
  const int status = makeRun(state, settings, reporter, commandLine);
  // Keeps a console window open until its last lines are read.
  if (!commandLine.skipMenu) waitForKey();
  return status;
}
