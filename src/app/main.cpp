#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "app/command_line.h"
#include "app/generation_state.h"
#include "app/menu.h"
#include "app/platform.h"
#include "app/run.h"

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
  if (!commandLine.outputDirectory.empty()) {
    std::error_code failure;
    std::filesystem::create_directories(commandLine.outputDirectory, failure);
    if (failure) {
      std::cerr << "cannot create output folder " << commandLine.outputDirectory << ": " << failure.message()
                << std::endl;
      return kExitWriteFailed;
    }
    state.outputDirectory = commandLine.outputDirectory;
  }
  state.smartTerminal = stdoutIsTerminal();

  if (commandLine.skipMenu) {
    state.options = commandLine.options;
    printLine(state, generatingLine(state.options));
    return runGeneration(state, commandLine.hasSeed ? commandLine.seed : clockSeed());
  }
  if (!runMenu(state, std::cin, std::cout, clearConsole)) return kExitEndOfInput;
  const int status = runGeneration(state, commandLine.hasSeed ? commandLine.seed : clockSeed());
  waitForKey();
  return status;
}
