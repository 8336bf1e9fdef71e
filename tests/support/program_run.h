#pragma once

// One run of the program's own run driver in a fresh folder, for tests that
// compare what it writes.

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

#include "engine/run.h"
#include "output/cheat_sheet.h"
#include "output/item_list.h"
#include "output/spoiler_json.h"
#include "placement/reference_placement.h"
#include "support/temp_folder.h"

// What a run left behind: both files, its console lines, the next draw of
// its generator and its spoiler file.
struct Files {
  std::string itemList;
  std::string cheatSheet;
  std::string console;
  uint32_t nextDraw;
  std::string spoiler;
};

// Runs the whole generation for `options` and `seed` in a temporary folder,
// searching on `threads` threads.
inline Files programRun(const RunOptions& options, uint32_t seed, int threads = 1) {
  TempFolder folder;
  GenerationState state;
  std::ostringstream console;
  Reporter reporter(console, std::cerr);
  state.options = options;
  RunSettings settings;
  settings.output.directory = folder.path.string();
  settings.search.threads = threads;
  settings.writeSpoilerJson = true;
  settings.search.attemptLimit = kTestAttemptLimit;
  EXPECT_EQ(runGeneration(state, settings, reporter, seed, GeneratingLine::alreadyShown), kExitSuccess);
  return {readFile(folder.path / itemListFileName(options)), readFile(folder.path / cheatSheetFileName(options)),
          console.str(), static_cast<uint32_t>(state.random.next()), readFile(folder.path / spoilerFileName(options))};
}
