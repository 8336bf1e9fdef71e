#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/item_list_check.h"
#include "state/generation_state.h"

// What the command line asked for. With no arguments everything is unset and
// the program runs its interactive menu.
struct CommandLine {
  bool help = false;
  bool version = false;
  bool hasSeed = false;
  uint32_t seed = 0;
  // Set when the options replace the menu (--character and --difficulty).
  bool skipMenu = false;
  RunOptions options;
  std::string outputDirectory;
  // --key-route: also write the key route file.
  bool keyRoute = false;
  // --spoiler-json: also write the spoiler file for tools.
  bool spoilerJson = false;
  // --race: a secret seed and the item list alone.
  bool race = false;
  // --check FILE: check that item list instead of generating one.
  std::string checkFile;
  // --plando FILE: the items that file fixes keep their slots.
  std::string plandoFile;
  bool characterGiven = false;
  bool difficultyGiven = false;
  // --threads N: threads for the placement search; 0 when not given (one per
  // hardware thread then).
  int threads = 0;
};

// Parses the arguments after the program name. Returns false with a one-line
// `error` (no program name, no usage) when they cannot be used.
bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine& result, std::string& error);

// What --check is to do, from a parsed command line with checkFile set.
CheckRequest checkRequestFor(const CommandLine& commandLine);

// The text --help prints.
std::string usageText();

// The line printed after an argument error.
constexpr const char* kUsageHint = "Try 'mansion-randomizer --help' for more information.";
