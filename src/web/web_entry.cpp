// Entry points of the web generator. The page makes a run on its own thread
// through webBeginRun ... webEndRun, which print the run's console lines and
// progress and write its files into a folder of the in-memory file system;
// the page then reads the files from that folder. The candidates are searched
// meanwhile by the page's workers, each with a searcher of its own
// (webStartSearcher, webSearchTask): the run hands out tasks of consecutive
// blocks and takes back what came of them, both as plain bytes, since the
// workers share no memory with the page. Blocks, jumps and the earliest
// passing block are those of the console program's parallel search.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <system_error>

#include "engine/run.h"
#include "output/file_code.h"
#include "output/item_list.h"
#include "output/item_list_reader.h"
#include "placement/candidate_search.h"
#include "placement/generation.h"
#include "placement/parallel_search.h"
#include "state/generation_state.h"

namespace {

// What a report is, as the page's onRunEvent (search-pool.js) reads it.
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

bool emptyRunFolder(OutputSettings& output, Reporter& reporter) {
  std::error_code failure;
  std::filesystem::remove_all(kRunFolder, failure);
  if (failure) {
    reportError(reporter, std::string("cannot empty output folder ") + kRunFolder + ": " + failure.message());
    return false;
  }
  return prepareOutputDirectory(output, reporter, kRunFolder);
}

// Blocks per task: about ten milliseconds of search for Chris, so passing a
// task to a worker and back costs little, and a worker that searches on after
// an earlier block has passed wastes little.
constexpr int32_t kBlocksPerTask = 16;

// What a worker sends back: the outcome and, when a block passed, its
// candidate.
struct TaskResult {
  TaskOutcome outcome;
  int32_t passing[kSlotCount];
};

// The options of a run from the page's numbers; `modifiers` as modifierMask.
RunOptions pageOptions(int chris, int hard, int enemies, int modifiers) {
  RunOptions options;
  options.character = chris != 0;
  options.hardDifficulty = hard != 0;
  options.enemyRandomizer = enemies != 0;
  setModifierMask(options, modifiers);
  return options;
}

// The name the page's plando goes by in the seed line and its messages, as
// the file the page downloads it into.
constexpr const char* kPagePlandoName = "plando.txt";

}  // namespace

// One run made on the page's thread.
struct WebRun {
  ReportBuffer consoleBuffer{kEventLine};
  ReportBuffer errorBuffer{kEventError};
  std::ostream console{&consoleBuffer};
  std::ostream errors{&errorBuffer};
  Reporter reporter{console, errors};
  GenerationState state;
  RunSettings settings;
  uint32_t seed = 0;
  // The exit status of a run that ended before its search; -1 otherwise.
  int endedEarly = -1;
  TaskSearch search;
  BlockTask task;     // the task last handed out, which the page copies
  TaskResult result;  // where the page copies a worker's result
};

// A worker's own copy of the run's tables.
struct WebSearcher {
  SearchTables tables;
  BlockTask task;  // where the page copies a task
  TaskResult result;
  Placement passing;
};

// Starts a run with the given options, its seed chosen here once (the clock
// second without `hasSeed`, as in the console program) and reported, and
// prints its first lines. A `race` (whose secret seed the page draws) reports
// no seed and writes the item list alone, as --race does; other runs also
// write the key route and the spoiler file. A non-empty `plando` is the text
// of the page's Plando box, read, refused or proved as --plando reads a file
// (named kPagePlandoName); a refused or impossible one ends the run with its
// messages. The page then hands out webTakeTask's tasks and enters their
// results until no task is left, and ends with webFinishRun.
extern "C" EMSCRIPTEN_KEEPALIVE WebRun* webBeginRun(int hasSeed, uint32_t seed, int chris, int hard, int enemies,
                                                   int modifiers, int race, const char* plando) {
  WebRun* run = new WebRun;
  GenerationState& state = run->state;
  RunSettings& settings = run->settings;
  // The page shows the progress line, whatever the terminal test says.
  run->reporter.smartTerminal = true;
  // The page shows the order in which the key items can be collected.
  settings.writeKeyRoute = true;
  settings.writeSpoilerJson = true;
  settings.raceMode = race != 0;
  state.options = pageOptions(chris, hard, enemies, modifiers);
  // A race on the clock's seed could be repeated by anyone who tried the
  // seconds around its start.
  if (settings.raceMode && !hasSeed) {
    reportError(run->reporter, "cannot start the race: no seed from the browser's secure random source");
    run->endedEarly = kExitBadArguments;
    return run;
  }
  // Read and proved first, as the console program does, so a plando that
  // cannot be used shows its messages alone.
  if (*plando != '\0') {
    Plando read;
    const int status = readPlando(state.options, run->reporter, kPagePlandoName, plando, read);
    if (status != kExitSuccess) {
      run->endedEarly = status;
      return run;
    }
    usePlando(settings, read);
  }
  run->seed = hasSeed ? seed : clockSeed();
  if (!settings.raceMode) postRunEvent(kEventSeed, std::to_string(run->seed).c_str());
  if (!emptyRunFolder(settings.output, run->reporter)) {
    run->endedEarly = kExitWriteFailed;
    return run;
  }
  beginRun(state, settings, run->reporter, run->seed, GeneratingLine::print);
  run->search = startTaskSearch(state, settings, run->reporter);
  return run;
}

// The run's seed, for the searchers.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t webRunSeed(const WebRun* run) { return run->seed; }

// The size of a task, the bytes the page copies from the run to a searcher.
extern "C" EMSCRIPTEN_KEEPALIVE int webTaskBytes() { return static_cast<int>(sizeof(BlockTask)); }
// The size of a result, the bytes the page copies from a searcher to the run.
extern "C" EMSCRIPTEN_KEEPALIVE int webResultBytes() { return static_cast<int>(sizeof(TaskResult)); }

// The next task for a searcher, or null when every block that can still
// matter is handed out (none at all when the tables do not fit the search,
// whose candidates webFinishRun then checks itself).
extern "C" EMSCRIPTEN_KEEPALIVE const BlockTask* webTakeTask(WebRun* run) {
  if (run->endedEarly >= 0 || !run->search.tables.usable) return nullptr;
  return takeBlockTask(run->search.ledger, kBlocksPerTask, run->task) ? &run->task : nullptr;
}

// Where the page puts a searcher's result before webRecordResult.
extern "C" EMSCRIPTEN_KEEPALIVE TaskResult* webResultBuffer(WebRun* run) { return &run->result; }

// Enters the result in the buffer and updates the progress line.
extern "C" EMSCRIPTEN_KEEPALIVE void webRecordResult(WebRun* run) {
  Placement passing;
  if (run->result.outcome.found) passing.assign(run->result.passing, run->result.passing + kSlotCount);
  recordTaskSearch(run->search, run->state, run->reporter, run->result.outcome, passing);
}

// Once every task handed out has its result entered: accepts the earliest
// passing candidate, applies the modifiers and writes the files into /run;
// returns the exit status the console program would give.
extern "C" EMSCRIPTEN_KEEPALIVE int webFinishRun(WebRun* run) {
  if (run->endedEarly >= 0) return run->endedEarly;
  GenerationState& state = run->state;
  const bool found = endTaskSearch(run->search, state, run->settings, run->reporter);
  const int status = finishRun(state, run->settings, run->reporter, run->seed, found);
  // Once the files are written: the item list's file code, as the console
  // prints it.
  if (status == kExitSuccess) postRunEvent(kEventFileCode, fileCode(formatItemList(state)).c_str());
  return status;
}

// Frees a run, ended or cancelled.
extern "C" EMSCRIPTEN_KEEPALIVE void webEndRun(WebRun* run) { delete run; }

// A searcher for the run of `seed`, these options and `plando` (as
// webBeginRun takes them, the plando already accepted there): the same
// tables and plando exchanges, built the same way.
extern "C" EMSCRIPTEN_KEEPALIVE WebSearcher* webStartSearcher(uint32_t seed, int chris, int hard, int enemies,
                                                             int modifiers, const char* plando) {
  WebSearcher* searcher = new WebSearcher;
  const RunOptions options = pageOptions(chris, hard, enemies, modifiers);
  RunSettings settings;
  if (*plando != '\0') {
    // The run has shown any message already.
    std::ostream silent{nullptr};
    Reporter quiet(silent, silent);
    Plando read;
    if (readPlando(options, quiet, kPagePlandoName, plando, read) == kExitSuccess) usePlando(settings, read);
  }
  searcher->tables = taskSearcherTables(options, seed, settings.search);
  return searcher;
}

// Where the page puts a task before webSearchTask.
extern "C" EMSCRIPTEN_KEEPALIVE BlockTask* webSearcherTask(WebSearcher* searcher) { return &searcher->task; }

// Searches the task in the buffer to its first passing block; returns the
// result for the page to copy. A searcher cannot hear of other searchers'
// passes while it searches, so only its own pass ends a task early.
extern "C" EMSCRIPTEN_KEEPALIVE const TaskResult* webSearchTask(WebSearcher* searcher) {
  TaskResult& result = searcher->result;
  result.outcome =
      searchBlockTask(searcher->tables, searcher->task, searcher->passing, [](int64_t) { return false; });
  if (result.outcome.found) std::copy(searcher->passing.begin(), searcher->passing.end(), result.passing);
  return &result;
}

// The most bytes of a file the page need pass on for a check: what the
// engine reads of an item list.
extern "C" EMSCRIPTEN_KEEPALIVE int webReadLimit() { return static_cast<int>(kItemListReadLimit); }

// The bit of modifier `number` in the mask the page passes its modifiers in
// (see modifierMask); 0 for a number that is no modifier.
extern "C" EMSCRIPTEN_KEEPALIVE int webModifierBit(int number) {
  RunOptions options;
  bool* on = modifierSwitch(options, number);
  if (on == nullptr) return 0;
  *on = true;
  return modifierMask(options);
}

// Frees a searcher when its run is over.
extern "C" EMSCRIPTEN_KEEPALIVE void webEndSearcher(WebSearcher* searcher) { delete searcher; }

