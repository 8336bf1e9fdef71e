#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "placement/generation.h"
#include "state/generation_state.h"
#include "state/reporter.h"

// What a check of an item list file is asked to do.
struct CheckRequest {
  std::string file;
  // Character and difficulty, used where the file name is not one of the
  // four item list names (and then both are needed); the other options only
  // matter for the comparison with a seed.
  bool characterGiven = false;
  bool difficultyGiven = false;
  RunOptions options;
  // Also say whether the file is exactly the one this seed gives.
  bool hasSeed = false;
  uint32_t seed = 0;
  // Also write the key route of the file.
  bool keyRoute = false;
  // Where the key route goes; empty means the checked file's folder.
  std::string outputDirectory;
  // The plando file the seed's run was made with; empty for none.
  std::string plandoFile;
};

// Sets character and hardDifficulty from an item list file name such as
// "runs/ItemListJillHard.txt"; false when the name is none of the four.
bool settingFromFileName(const std::string& path, RunOptions& options);

// What keeps the run of state.placement from being completed, one line per
// problem: a pinned slot without its own item, a key item behind a zone it
// opens itself, key items that lock each other in, a key item no slot holds
// that leaves zones with slots closed. Empty when it can be completed. Needs
// the catalogue and constraint tables built; reads them without inserting.
std::vector<std::string> completionProblems(const GenerationState& state);

// Reads at most kItemListReadLimit + 1 bytes of the regular file `path` into
// `bytes`, enough to tell whether it is an item list; false with "cannot read
// PATH: REASON" in `error`.
bool readItemListBytes(const std::string& path, std::string& bytes, std::string& error);

// Checks request.file and prints the verdict on reporter.console; bad input
// is reported as one line on reporter.errors. Never writes or changes the
// file. A seed's run is generated with `search`.
// Returns kExitSuccess, kExitBadArguments (no setting for the file),
// kExitCheckUnreadable, kExitCheckIncomplete, kExitCheckDiffers,
// kExitNoPlacement (the seed's run could not be generated) or
// kExitWriteFailed (the key route could not be written).
int checkItemListFile(GenerationState& state, const SearchSettings& search, Reporter& reporter,
                      const CheckRequest& request);
