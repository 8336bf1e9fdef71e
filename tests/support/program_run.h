#pragma once

// One run of the program's own run driver in a fresh folder, for tests that
// compare what it writes.

#include <gtest/gtest.h>

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
  state.console = &console;
  state.options = options;
  state.outputDirectory = folder.path.string();
  state.searchThreads = threads;
  state.writeSpoilerJson = true;
  state.attemptLimit = kTestAttemptLimit;
  EXPECT_EQ(runGeneration(state, seed), kExitSuccess);
  return {readFile(folder.path / itemListFileName(options)), readFile(folder.path / cheatSheetFileName(options)),
          console.str(), static_cast<uint32_t>(state.random.next()), readFile(folder.path / spoilerFileName(options))};
}
