#include "engine/item_list_check.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <set>
#include <sstream>
#include <system_error>

#include "catalogue/item_classes.h"
#include "catalogue/key_items.h"
#include "catalogue/pins.h"
#include "catalogue/rooms.h"
#include "catalogue/slot_catalogue.h"
#include "enemies/enemy_room_table.h"
#include "engine/companion.h"
#include "engine/run.h"
#include "modifiers/item_modifiers.h"
#include "output/file_code.h"
#include "output/item_list.h"
#include "output/item_list_reader.h"
#include "output/key_route_file.h"
#include "output/text_file.h"
#include "placement/constraint_tables.h"
#include "placement/key_route.h"
#include "platform/platform.h"

namespace {

std::string settingName(const RunOptions& options) {
  return std::string(characterName(options)) + " on " + difficultyName(options) + " Difficulty";
}

const std::string& nameOf(const GenerationState& state, int32_t entry) {
  return state.slotNames.at(static_cast<std::size_t>(entry));
}

Zone zoneOf(const GenerationState& state, SlotIndex slot) { return state.slotZones.at(static_cast<std::size_t>(slot)); }

// Depth-first search for loops among the key items, each item pointing to the
// keys its zone needs: the loops the validator's chain check rejects, found
// without walking shared chains twice.
struct LoopSearch {
  explicit LoopSearch(const GenerationState& searched) : state(searched) {}

  const GenerationState& state;
  std::vector<int> colour = std::vector<int>(kSlotCount + 1, 0);  // 0 new, 1 on the path, 2 done
  std::vector<SlotIndex> path;
  std::vector<std::vector<SlotIndex>> loops;

  void visit(SlotIndex item) {
    const SlotIndex slot = slotHolding(state.placement, item);
    colour[static_cast<std::size_t>(item)] = 1;
    path.push_back(item);
    if (slot >= 0) {
      for (int32_t needed : keysNeededFor(state, zoneOf(state, slot))) {
        if (needed < 0 || needed > kSlotCount) continue;
        const int seen = colour[static_cast<std::size_t>(needed)];
        if (seen == 1) {
          loops.emplace_back(std::find(path.begin(), path.end(), needed), path.end());
        } else if (seen == 0) {
          visit(needed);
        }
      }
    }
    path.pop_back();
    colour[static_cast<std::size_t>(item)] = 2;
  }
};

std::string loopProblem(const GenerationState& state, const std::vector<SlotIndex>& loop) {
  std::string text = nameOf(state, loop.front()) + " lies behind itself:";
  for (std::size_t k = 0; k < loop.size(); ++k) {
    const SlotIndex item = loop[k];
    const SlotIndex next = loop[(k + 1) % loop.size()];
    text += std::string(k ? "," : "") + " reaching " + nameOf(state, item) + " (" +
            slotPlace(state, slotHolding(state.placement, item)) + ") needs " + nameOf(state, next);
  }
  return text;
}

// Whether entering `zone` needs `key`, directly or through keys that no step
// of the route collects. `seen` keeps the walk finite on loops.
bool zoneNeeds(const GenerationState& state, Zone zone, SlotIndex key, const std::vector<bool>& collected,
               const std::vector<SlotIndex>& holder, std::set<Zone>& seen) {
  if (!seen.insert(zone).second) return false;
  for (int32_t needed : keysNeededFor(state, zone)) {
    if (needed == key) return true;
    if (needed < 0 || needed > kSlotCount || collected[static_cast<std::size_t>(needed)]) continue;
    const SlotIndex slot = holder[static_cast<std::size_t>(needed)];
    if (slot >= 0 && zoneNeeds(state, zoneOf(state, slot), key, collected, holder, seen)) return true;
  }
  return false;
}

std::string missingKeyProblem(const GenerationState& state, SlotIndex key, const KeyRoute& route) {
  std::vector<SlotIndex> holder(kSlotCount + 1);
  for (SlotIndex item = 0; item <= kSlotCount; ++item)
    holder[static_cast<std::size_t>(item)] = slotHolding(state.placement, item);
  std::vector<bool> collected(kSlotCount + 1, false);
  for (const auto& step : route.steps) {
    for (const KeyPickup& pickup : step) collected[static_cast<std::size_t>(pickup.item)] = true;
  }
  // Zones with slots, in order of their first slot, and their rooms; each
  // zone is judged once.
  std::vector<Zone> zones, judged;
  std::vector<std::vector<std::string>> rooms;
  const std::vector<const char*> roomOf = cheatSheetRooms(state.options);
  for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
    const Zone zone = zoneOf(state, slot);
    if (std::find(judged.begin(), judged.end(), zone) == judged.end()) {
      judged.push_back(zone);
      std::set<Zone> seen;
      if (zoneNeeds(state, zone, key, collected, holder, seen)) {
        zones.push_back(zone);
        rooms.emplace_back();
      }
    }
    const auto found = std::find(zones.begin(), zones.end(), zone);
    if (found == zones.end()) continue;
    std::vector<std::string>& names = rooms[static_cast<std::size_t>(found - zones.begin())];
    if (std::find(names.begin(), names.end(), roomOf[static_cast<std::size_t>(slot)]) == names.end()) {
      names.push_back(roomOf[static_cast<std::size_t>(slot)]);
    }
  }
  // A zone no slot lies in costs the player nothing.
  if (zones.empty()) return "";
  std::string text = "key item " + nameOf(state, key) + " is missing, so " + (zones.size() == 1 ? "zone " : "zones ");
  for (std::size_t k = 0; k < zones.size(); ++k) {
    text += (k ? ", " : "") + std::to_string(zones[k]) + " (";
    for (std::size_t r = 0; r < rooms[k].size(); ++r) text += (r ? ", " : "") + rooms[k][r];
    text += ")";
  }
  return text + (zones.size() == 1 ? " stays" : " stay") + " closed";
}

// Line number of the first line where two item lists differ; 0 when none.
int firstDifference(const ItemListContents& a, const ItemListContents& b) {
  for (std::size_t s = 0; s < a.placement.size(); ++s) {
    if (a.placement[s] != b.placement[s]) return static_cast<int>(s) + 1;
  }
  if (a.enemyCodes.empty() != b.enemyCodes.empty()) return kSlotCount + 1;
  for (std::size_t r = 0; r < a.enemyCodes.size(); ++r) {
    if (a.enemyCodes[r] != b.enemyCodes[r]) return kSlotCount + 2 + static_cast<int>(r);
  }
  return 0;
}

// What the file shows of options other than those given, for a file that is
// not the seed's: an enemy block, an armed or empty fuel capsule, items held
// twice (only modifiers do that). Empty when nothing shows.
std::string optionHint(const ItemListContents& contents, const RunOptions& options) {
  std::vector<std::string> hints;
  const bool enemies = !contents.enemyCodes.empty();
  if (enemies != options.enemyRandomizer) {
    hints.push_back(enemies ? "the file has an enemy block, which only --enemies gives"
                            : "the file has no enemy block, but --enemies was given");
  }
  const Placement& placement = contents.placement;
  const auto holds = [&placement](int32_t entry) {
    return std::find(placement.begin(), placement.end(), entry) != placement.end();
  };
  if (holds(kExtraNameIndex) && !options.armedFuelCapsule) {
    hints.push_back("the file holds the armed fuel capsule, which only --modifier 6 gives");
  } else if (!holds(kExtraNameIndex) && holds(kEmptyFuelCapsuleEntry) && options.armedFuelCapsule) {
    hints.push_back("the file holds the empty fuel capsule, but --modifier 6 was given");
  }
  Placement sorted = placement;
  std::sort(sorted.begin(), sorted.end());
  const bool repeats = std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
  bool anySwap = false;
  for (int number = 1; number <= 5; ++number) anySwap = anySwap || modifierOn(options, number);
  if (repeats && !anySwap) {
    hints.push_back("the file holds some items more than once, which only modifiers 1 to 5 do");
  } else if (!repeats && options.allToSelfDefenseGun) {
    hints.push_back("the file holds every item once, but --modifier 5 was given");
  }
  std::string joined;
  for (const std::string& hint : hints) joined += (joined.empty() ? "" : "; ") + hint;
  return joined;
}

}  // namespace

bool settingFromFileName(const std::string& path, RunOptions& options) {
  const std::string name = std::filesystem::path(path).filename().string();
  for (bool chris : {false, true}) {
    for (bool hard : {false, true}) {
      RunOptions setting;
      setting.character = chris;
      setting.hardDifficulty = hard;
      if (name != itemListFileName(setting)) continue;
      options.character = chris;
      options.hardDifficulty = hard;
      return true;
    }
  }
  return false;
}

std::vector<std::string> completionProblems(const GenerationState& state) {
  std::vector<std::string> problems;
  std::vector<SlotIndex> pins = pinnedSlotOrder(state.options);
  std::sort(pins.begin(), pins.end());
  pins.erase(std::unique(pins.begin(), pins.end()), pins.end());
  for (SlotIndex slot : pins) {
    // A modifier rewrites pinned slots like any other.
    const int32_t entry = state.placement.at(static_cast<std::size_t>(slot));
    const std::vector<int32_t> allowed = modifierResults(state, slot);
    if (std::find(allowed.begin(), allowed.end(), entry) != allowed.end()) continue;
    // Several entries share a name, so a namesake is told apart by its slot.
    const bool namesake = nameOf(state, entry) == nameOf(state, slot);
    problems.push_back("pinned slot " + std::to_string(slot) + " (" + slotPlace(state, slot) +
                       ") must keep its own item but holds " + (namesake ? "the " : "") + nameOf(state, entry) +
                       (namesake ? " of slot " + std::to_string(entry) : ""));
  }

  const std::vector<SlotIndex> keys = keyItems(state);
  std::vector<SlotIndex> lockedIn;  // keys behind their own lock
  for (SlotIndex key : keys) {
    const SlotIndex slot = slotHolding(state.placement, key);
    const auto locked = state.lockTable.find(key);
    if (slot < 0 || locked == state.lockTable.end()) continue;
    const Zone zone = zoneOf(state, slot);
    if (std::find(locked->second.begin(), locked->second.end(), zone) == locked->second.end()) continue;
    lockedIn.push_back(key);
    problems.push_back(nameOf(state, key) + " lies behind the lock it opens: in " + slotPlace(state, slot) + " (zone " +
                       std::to_string(zone) + ")");
  }

  LoopSearch search(state);
  for (SlotIndex key : keys) {
    if (search.colour[static_cast<std::size_t>(key)] == 0) search.visit(key);
  }
  for (const auto& loop : search.loops) {
    // A key whose zone needs the key itself is the lock problem above.
    if (loop.size() == 1 && std::find(lockedIn.begin(), lockedIn.end(), loop.front()) != lockedIn.end()) continue;
    problems.push_back(loopProblem(state, loop));
  }

  const KeyRoute route = planKeyRoute(state);
  for (SlotIndex key : route.missing) {
    std::string problem = missingKeyProblem(state, key, route);
    if (!problem.empty()) problems.push_back(std::move(problem));
  }
  return problems;
}

bool readItemListBytes(const std::string& path, std::string& bytes, std::string& error) {
  std::string reason;
  if (readRegularFile(path, kItemListReadLimit, bytes, reason)) return true;
  error = "cannot read " + printable(path) + ": " + reason;
  return false;
}

namespace {

// Sets the character and difficulty of `options` from the file name, or
// keeps those given where the name is none of the four; kExitSuccess, or
// kExitBadArguments after reporting a name and options that disagree or say
// nothing.
int settleSetting(RunOptions& options, const CheckRequest& request, Reporter& reporter) {
  const std::string file = printable(request.file);
  RunOptions named;
  if (settingFromFileName(request.file, named)) {
    const bool otherCharacter = request.characterGiven && named.character != options.character;
    if (otherCharacter || (request.difficultyGiven && named.hardDifficulty != options.hardDifficulty)) {
      reportError(reporter, kMessagePrefix + ("cannot check " + file) + ": its name says " + settingName(named) +
                                ", but " +
                                (otherCharacter ? std::string("--character says ") + characterName(options)
                                                : std::string("--difficulty says ") + difficultyName(options)));
      return kExitBadArguments;
    }
    options.character = named.character;
    options.hardDifficulty = named.hardDifficulty;
  } else if (!request.characterGiven || !request.difficultyGiven) {
    reportError(reporter, kMessagePrefix + ("cannot check " + file) +
                              ": the name is not ItemList<Chris|Jill><Normal|Hard>.txt, so --character and "
                              "--difficulty must say whose it is");
    return kExitBadArguments;
  }
  return kExitSuccess;
}

// The item list in `bytes` (read up to kItemListReadLimit and one more);
// false after reporting its first bad line.
bool parseCheckedFile(const std::string& bytes, const std::string& file, Reporter& reporter,
                      ItemListContents& contents) {
  ItemListFault fault;
  if (readItemList(bytes, contents, fault) && bytes.size() <= kItemListReadLimit) return true;
  // No item list fills the bytes read, so a fault always lies within them.
  if (fault.reason.empty()) fault = {kSlotCount + 2 + kEnemyRoomCount, "the file goes on after the enemy block"};
  reportError(reporter, kMessagePrefix + ("cannot check " + file) + ": line " + std::to_string(fault.line) + ": " +
                            fault.reason);
  return false;
}

// The setting other than state.options' whose pins and keys the placement
// fits, for a file that cannot be completed in its own: empty unless exactly
// one fits, or both of one character (then Hard, whose extra pins a Normal
// run keeps only by chance), so the hint names nothing unsure.
std::string otherSettingFitting(const GenerationState& state) {
  std::vector<RunOptions> fitting;
  for (bool chris : {false, true}) {
    for (bool hard : {false, true}) {
      if (chris == state.options.character && hard == state.options.hardDifficulty) continue;
      GenerationState other;
      other.options = state.options;
      other.options.character = chris;
      other.options.hardDifficulty = hard;
      buildSlotCatalogue(other);
      buildConstraintTables(other);
      other.placement = state.placement;
      if (completionProblems(other).empty()) fitting.push_back(other.options);
    }
  }
  if (fitting.size() == 2 && fitting[0].character == fitting[1].character) fitting.erase(fitting.begin());
  return fitting.size() == 1 ? settingName(fitting[0]) : "";
}

// Prints the file code and whether the run of state.placement can be
// completed; kExitSuccess or kExitCheckIncomplete.
int reportCompletion(const GenerationState& state, Reporter& reporter, const CheckRequest& request,
                     const std::string& bytes) {
  const std::string file = printable(request.file);
  const std::vector<std::string> problems = completionProblems(state);
  // First, so racers compare it with the organiser's before anything else.
  printLine(reporter, file + ": file code " + fileCode(bytes));
  if (problems.empty()) {
    printLine(reporter, file + ": " + settingName(state.options) + ", the run can be completed");
    return kExitSuccess;
  }
  printLine(reporter, file + ": " + settingName(state.options) + ", the run cannot be completed:");
  for (const std::string& problem : problems) printLine(reporter, "  " + problem);
  const std::string other = otherSettingFitting(state);
  if (!other.empty()) {
    printLine(reporter, "  Hint: the file looks like a run for " + other + ", not " + settingName(state.options));
  }
  return kExitCheckIncomplete;
}

// Generates the run of request.seed (with request.plandoFile's plando) and
// prints whether the file is it; kExitSuccess, kExitCheckDiffers,
// kExitNoPlacement after reporting a seed whose run could not be generated,
// or loadPlando's status for a plando that cannot be used.
int compareWithSeed(const RunOptions& options, const SearchSettings& search, Reporter& reporter,
                    const CheckRequest& request, const std::string& bytes, const ItemListContents& contents) {
  const std::string file = printable(request.file);
  // The plando the seed's run was made with, proved as the run proved it.
  Plando plando;
  SearchSettings withPlando = search;
  if (!request.plandoFile.empty()) {
    const int status = loadPlando(options, reporter, request.plandoFile, plando);
    if (status != kExitSuccess) return status;
    withPlando.fixedItems = plandoFixes(plando);
  }
  GenerationState seeded;
  seeded.options = options;
  std::ostringstream discarded;
  Reporter quiet(discarded, *reporter.errors);
  if (!generateRun(seeded, withPlando, quiet, request.seed)) return kExitNoPlacement;
  const std::string expected = formatItemList(seeded);
  ItemListContents expectedContents;
  ItemListFault fault;
  if (!readItemList(expected, expectedContents, fault)) {
    // The program's own item list always reads back; this is a fault of its own.
    reportError(reporter, kMessagePrefix + ("cannot check " + file) + ": the run of the seed reads back wrong: line " +
                              std::to_string(fault.line) + ": " + fault.reason);
    return kExitNoPlacement;
  }
  const std::string command = reproducingCommand(options, request.seed, plando);
  const int difference = firstDifference(contents, expectedContents);
  if (difference != 0) {
    printLine(reporter, file + " is not the file of: " + command + " (the first difference is on line " +
                            std::to_string(difference) + ")");
    const std::string hint = optionHint(contents, options);
    if (!hint.empty()) printLine(reporter, "  Hint: " + hint);
    return kExitCheckDiffers;
  }
  if (bytes != expected) {
    printLine(reporter, file + " holds the same run as the file of: " + command + ", with other line ends");
  } else {
    printLine(reporter, file + " is exactly the file of: " + command);
  }
  return kExitSuccess;
}

// Writes the key route of the checked run beside the file or into
// request.outputDirectory; kExitSuccess, or kExitWriteFailed after reporting.
int writeCheckedKeyRoute(const GenerationState& state, Reporter& reporter, const CheckRequest& request) {
  const std::string folder = request.outputDirectory.empty()
                                 ? std::filesystem::path(request.file).parent_path().string()
                                 : request.outputDirectory;
  OutputSettings output;
  if (!prepareOutputDirectory(output, reporter, folder)) return kExitWriteFailed;
  const std::string route = outputPath(output, keyRouteFileName(state.options));
  std::error_code ignored;
  if (std::filesystem::equivalent(route, request.file, ignored)) {
    reportError(reporter, kMessagePrefix + ("cannot write " + printable(route)) + ": it is the file being checked");
    return kExitWriteFailed;
  }
  if (!writeKeyRouteFile(state, output, reporter)) return kExitWriteFailed;
  printLine(reporter, "Key route written to " + printable(route));
  return kExitSuccess;
}

}  // namespace

int checkItemListFile(GenerationState& state, const SearchSettings& search, Reporter& reporter,
                      const CheckRequest& request) {
  state.options = request.options;
  // Read first, so a mistyped name is reported as the missing file it is.
  std::string bytes, error;
  if (!readItemListBytes(request.file, bytes, error)) {
    reportError(reporter, kMessagePrefix + error);
    return kExitCheckUnreadable;
  }
  const int setting = settleSetting(state.options, request, reporter);
  if (setting != kExitSuccess) return setting;
  ItemListContents contents;
  if (!parseCheckedFile(bytes, printable(request.file), reporter, contents)) return kExitCheckUnreadable;
  // The options given, for the seed's run: loading the file also takes its enemies.
  const RunOptions given = state.options;
  loadItemList(state, contents);
  int status = reportCompletion(state, reporter, request, bytes);
  if (request.hasSeed) {
    const int compared = compareWithSeed(given, search, reporter, request, bytes, contents);
    if (compared == kExitNoPlacement) return compared;
    if (compared != kExitSuccess && status == kExitSuccess) status = compared;
  }
  if (request.keyRoute) {
    const int written = writeCheckedKeyRoute(state, reporter, request);
    if (written != kExitSuccess) return written;
  }
  return status;
}
