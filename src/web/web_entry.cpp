// Entry point of the web generator: the page's worker calls webGenerate, which
// runs the same engine as the console program into a folder of the in-memory
// file system and reports the run's console lines and progress to the worker
// as they happen. The worker then reads the files from that folder.

#include <emscripten/emscripten.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <system_error>

#include "engine/run.h"
#include "output/file_code.h"
#include "output/item_list.h"
#include "state/generation_state.h"

namespace {

// What a report is, as the worker's onRunEvent reads it.
enum RunEventKind { kEventLine = 0, kEventError = 1, kEventProgress = 2, kEventSeed = 3, kEventFileCode = 4 };

// clang-format off
EM_JS(void, postRunEvent, (int kind, const char* text), {
  onRunEvent(kind, UTF8ToString(text));
});
// clang-format on

// Splits what the run prints into whole lines. A line that a carriage return
// starts is the progress line being rewritten in place: each flush shows its
// current text, and a text of blanks (the erase) clears it.
class ReportBuffer : public std::streambuf {
 public:
  explicit ReportBuffer(RunEventKind lineKind) : lineKind_(lineKind) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    if (ch == '\n') {
      if (overprinting_) postRunEvent(kEventProgress, "");
      postRunEvent(lineKind_, text_.c_str());
      text_.clear();
      overprinting_ = false;
    } else if (ch == '\r') {
      text_.clear();
      overprinting_ = true;
    } else {
      text_ += ch;
    }
    return c;
  }

  int sync() override {
    if (overprinting_) {
      const bool blank = text_.find_first_not_of(' ') == std::string::npos;
      postRunEvent(kEventProgress, blank ? "" : text_.c_str());
    }
    return 0;
  }

 private:
  RunEventKind lineKind_;
  std::string text_;
  bool overprinting_ = false;
};

// The folder each run writes into; emptied first so the page offers only the
// files of the run it just made.
constexpr const char* kRunFolder = "/run";

bool emptyRunFolder(GenerationState& state) {
  std::error_code failure;
  std::filesystem::remove_all(kRunFolder, failure);
  if (failure) {
    *state.errors << "cannot empty output folder " << kRunFolder << ": " << failure.message() << std::endl;
    return false;
  }
  return prepareOutputDirectory(state, kRunFolder);
}

}  // namespace

// Runs one generation with the given options into /run and returns the exit
// status the console program would give. `modifiers` has bit n-1 set for
// modifier n; without `hasSeed` the clock second seeds the run, as in the
// console program. Reports the seed before the run starts, and the item
// list's file code once the files are written. A `race` (whose secret seed
// the worker draws) reports no seed and writes the item list alone, as
// --race does; other runs also write the key route and the spoiler file.
extern "C" EMSCRIPTEN_KEEPALIVE int webGenerate(int hasSeed, uint32_t seed, int chris, int hard, int enemies,
                                                int modifiers, int race) {
  GenerationState state;
  ReportBuffer consoleBuffer(kEventLine);
  ReportBuffer errorBuffer(kEventError);
  std::ostream console(&consoleBuffer);
  std::ostream errors(&errorBuffer);
  state.console = &console;
  state.errors = &errors;
  // The page shows the progress line, whatever the terminal test says.
  state.smartTerminal = true;
  // The page shows the order in which the key items can be collected.
  state.writeKeyRoute = true;
  state.writeSpoilerJson = true;
  state.raceMode = race != 0;

  RunOptions& options = state.options;
  options.character = chris != 0;
  options.hardDifficulty = hard != 0;
  options.enemyRandomizer = enemies != 0;
  // Bit k - 1 of `modifiers` is modifier k.
  for (int number = 1; number <= kModifierCount; ++number) {
    *modifierSwitch(options, number) = ((modifiers >> (number - 1)) & 1) != 0;
  }

  // A race on the clock's seed could be repeated by anyone who tried the
  // seconds around its start.
  if (state.raceMode && !hasSeed) {
    *state.errors << "cannot start the race: no seed from the browser's secure random source" << std::endl;
    return kExitBadArguments;
  }
  if (!hasSeed) seed = clockSeed();
  if (!state.raceMode) postRunEvent(kEventSeed, std::to_string(seed).c_str());
  if (!emptyRunFolder(state)) return kExitWriteFailed;
  printLine(state, generatingLine(state.options));
  const int status = runGeneration(state, seed);
  if (status == kExitSuccess) postRunEvent(kEventFileCode, fileCode(formatItemList(state)).c_str());
  return status;
}
