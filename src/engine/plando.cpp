#include "engine/plando.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "catalogue/slot_catalogue.h"
#include "catalogue/item_classes.h"
#include "modifiers/item_modifiers.h"
#include "catalogue/pins.h"
#include "catalogue/rooms.h"
#include "output/cheat_sheet.h"
#include "placement/plando_proof.h"

namespace {

// Lower case, runs of spaces and tabs as one space, none at either end: case
// and spacing do not matter in a plando.
std::string normalized(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool allDigits(const std::string& text) {
  return !text.empty() && text.size() <= 4 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// "; did you mean "A", "B" or "C"?" with the up to three names nearest to
// `typed` (near enough to be a slip), or nothing.
std::string suggestions(const std::string& typed, const std::vector<std::string>& names) {
  std::vector<std::pair<std::size_t, std::string>> near;
  for (const std::string& name : names) {
    const std::size_t distance = editDistance(typed, normalized(name));
    if (distance <= std::max<std::size_t>(3, typed.size() / 3)) near.emplace_back(distance, name);
  }
  std::sort(near.begin(), near.end());
  near.erase(std::unique(near.begin(), near.end()), near.end());
  if (near.size() > 3) near.resize(3);
  std::string text;
  for (std::size_t i = 0; i < near.size(); ++i) {
    text += (i == 0 ? "; did you mean \"" : i + 1 == near.size() ? " or \"" : ", \"") + near[i].second + "\"";
  }
  return text.empty() ? text : text + "?";
}

const char* gameName(bool chris, bool hard) {
  if (chris) return hard ? "Chris's game on Hard" : "Chris's game on Normal";
  return hard ? "Jill's game on Hard" : "Jill's game on Normal";
}

// The modifier switched on for this run that turns `item` into another
// item, or 0.
int modifierTurning(const GenerationState& state, int32_t item) {
  if (modifierResults(state, item).size() < 2) return 0;
  const std::string& name = state.slotNames[static_cast<std::size_t>(item)];
  const auto listed = [&name](const auto& names) {
    return std::any_of(std::begin(names), std::end(names), [&name](const char* n) { return name == n; });
  };
  const RunOptions& options = state.options;
  if (options.healingToJunk && listed(kHealthItemNames)) return 1;
  if (options.ammoToJunk && listed(kAmmoItemNames)) return 2;
  if (options.inkRibbonsToJunk && name == kInkRibbonName) return 3;
  if (options.defenceToJunk && listed(kDefenceItemNames)) return 4;
  if (options.armedFuelCapsule && item == kEmptyFuelCapsuleEntry) return 6;
  return options.allToSelfDefenseGun ? 5 : 0;
}

// The state of one reading: what earlier lines fixed.
struct Reader {
  const GenerationState& state;
  std::string fileName;
  Plando& plando;
  std::vector<std::string>& refusals;
  std::vector<const char*> rooms;
  std::vector<bool> pinned;
  std::map<int32_t, int> itemLine;    // item -> the line that fixed it
  std::map<SlotIndex, int> slotLine;  // slot -> the line that fixed it
};

void refuse(Reader& reader, int line, const std::string& reason) {
  reader.refusals.push_back(printable(reader.fileName) + " line " + std::to_string(line) + ": " + reason);
}

const std::string& nameOf(const Reader& reader, int32_t item) {
  return reader.state.slotNames[static_cast<std::size_t>(item)];
}

// The catalogue entries called `typed` (normalized), in catalogue order.
std::vector<int32_t> entriesNamed(const Reader& reader, const std::string& typed) {
  std::vector<int32_t> entries;
  for (int32_t item = 0; item < kSlotCount; ++item) {
    if (normalized(nameOf(reader, item)) == typed) entries.push_back(item);
  }
  return entries;
}

// The entry a shared name means: the pinned slot's own item on that slot,
// else the first no earlier line fixed and no pin keeps, else the first.
int32_t firstFree(const Reader& reader, const std::vector<int32_t>& entries, SlotIndex target) {
  for (int32_t item : entries) {
    if (item == target && reader.pinned[static_cast<std::size_t>(target)] && !reader.itemLine.count(item)) return item;
  }
  for (int32_t item : entries) {
    if (!reader.itemLine.count(item) && !reader.pinned[static_cast<std::size_t>(item)]) return item;
  }
  for (int32_t item : entries) {
    if (!reader.itemLine.count(item)) return item;
  }
  return entries.front();
}

// The item `typed` names for slot `target`, or -1 with the reason in `why`.
int32_t resolveItem(const Reader& reader, const std::string& typed, SlotIndex target, std::string& why) {
  const std::vector<int32_t> entries = entriesNamed(reader, typed);
  if (!entries.empty()) return firstFree(reader, entries, target);
  const std::size_t space = typed.rfind(' ');
  if (space != std::string::npos && allDigits(typed.substr(space + 1))) {
    const std::vector<int32_t> numbered = entriesNamed(reader, typed.substr(0, space));
    const std::size_t number = std::stoul(typed.substr(space + 1));
    if (number >= 1 && number <= numbered.size() && numbered.size() > 1) return numbered[number - 1];
  }
  for (int setting = 0; setting < 4; ++setting) {
    for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
      if (normalized(slotName(slot, setting & 1, setting & 2)) == typed) {
        why = "the " + std::string(slotName(slot, setting & 1, setting & 2)) + " is not in " +
              gameName(reader.state.options.character, reader.state.options.hardDifficulty);
        return -1;
      }
    }
  }
  std::vector<std::string> names(reader.state.slotNames.begin(), reader.state.slotNames.begin() + kSlotCount);
  why = "unknown item \"" + typed + "\"" + suggestions(typed, names);
  return -1;
}

// The slot `place` ("room: slot name" or "slot N", normalized) names, or -1
// with the reason in `why`.
SlotIndex resolvePlace(const Reader& reader, const std::string& place, std::string& why) {
  if (place.compare(0, 5, "slot ") == 0 && allDigits(place.substr(5))) {
    const int slot = std::stoi(place.substr(5));
    if (slot < kSlotCount) return slot;
    why = "there is no slot " + place.substr(5) + ": slots are 0 to 179";
    return -1;
  }
  const std::size_t colon = place.find(':');
  if (colon == std::string::npos) {
    why = "no \"ROOM: SLOT\" after \" in \"";
    return -1;
  }
  const std::string room = normalized(place.substr(0, colon));
  const std::string slotText = normalized(place.substr(colon + 1));
  std::vector<std::string> headings;
  std::vector<std::string> slotNames;
  for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
    const std::string heading = reader.rooms[static_cast<std::size_t>(slot)];
    if (normalized(heading) != room) {
      if (std::find(headings.begin(), headings.end(), heading) == headings.end()) headings.push_back(heading);
      continue;
    }
    const std::string full = plandoPlace(reader.state, slot);
    const std::string name = full.substr(heading.size() + 2);
    if (normalized(name) == slotText) return slot;
    slotNames.push_back(name);
  }
  if (slotNames.empty()) {
    why = "unknown room \"" + room + "\"" + suggestions(room, headings);
  } else {
    why = "no slot \"" + slotText + "\" in " + place.substr(0, colon) + suggestions(slotText, slotNames);
  }
  return -1;
}

// Accepts the line that brings `item` to `slot` after the checks that need
// both.
void accept(Reader& reader, int line, SlotIndex slot, int32_t item) {
  const GenerationState& state = reader.state;
  const char* game = gameName(state.options.character, state.options.hardDifficulty);
  const int modifier = modifierTurning(state, item);
  const auto itemSeen = reader.itemLine.find(item);
  const auto slotSeen = reader.slotLine.find(slot);
  if (modifier != 0) {
    refuse(reader, line,
           "modifier " + std::to_string(modifier) + " turns the " + nameOf(reader, item) + " into another item");
  } else if (reader.pinned[static_cast<std::size_t>(slot)] && item != slot) {
    refuse(reader, line, plandoPlace(state, slot) + " keeps its own item in " + game);
  } else if (reader.pinned[static_cast<std::size_t>(item)] && item != slot) {
    refuse(reader, line, "the " + nameOf(reader, item) + " stays in " + plandoPlace(state, item) + " in " + game);
  } else if (itemSeen != reader.itemLine.end()) {
    refuse(reader, line,
           "the " + plandoItemName(state, item) + " is fixed already on line " + std::to_string(itemSeen->second));
  } else if (slotSeen != reader.slotLine.end()) {
    refuse(reader, line,
           plandoPlace(state, slot) + " is given an item already on line " + std::to_string(slotSeen->second));
  } else {
    reader.itemLine[item] = line;
    reader.slotLine[slot] = line;
    reader.plando.lines.push_back(
        {line, {slot, item}, plandoItemName(state, item) + " in " + plandoPlace(state, slot)});
  }
}

// One line of a plando file; lines that only describe are skipped.
void readTextLine(Reader& reader, int line, const std::string& text) {
  const std::string typed = normalized(text);
  if (typed.empty() || typed[0] == '#' || typed == "out of reach") return;
  if (typed.compare(0, 5, "step ") == 0 && allDigits(typed.substr(5))) return;
  // An item name may hold " in " itself: the first split whose left part
  // names an item wins.
  std::size_t split = typed.find(" in ");
  if (split == std::string::npos) {
    refuse(reader, line, "expected \"ITEM in ROOM: SLOT\" or \"ITEM in slot N\"");
    return;
  }
  for (std::size_t at = split; at != std::string::npos; at = typed.find(" in ", at + 1)) {
    std::string unused;
    if (resolveItem(reader, typed.substr(0, at), 0, unused) >= 0) {
      split = at;
      break;
    }
  }
  std::string why;
  const SlotIndex slot = resolvePlace(reader, typed.substr(split + 4), why);
  const int32_t item = slot < 0 ? -1 : resolveItem(reader, typed.substr(0, split), slot, why);
  if (item < 0) {
    refuse(reader, line, why);
    return;
  }
  accept(reader, line, slot, item);
}

// The number after `"name": ` on a line of a spoiler file, or -1.
int jsonNumber(const std::string& line, const char* name) {
  const std::string prefix = std::string("\"") + name + "\": ";
  const std::size_t at = line.find(prefix);
  if (at == std::string::npos) return -1;
  std::string digits;
  for (std::size_t i = at + prefix.size(); i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i) {
    digits += line[i];
  }
  return allDigits(digits) ? std::stoi(digits) : -1;
}

// A spoiler file: each slot object marked "key": true fixes its entry there.
void readSpoiler(Reader& reader, const std::vector<std::string>& lines) {
  int slot = -1;
  int slotLine = 0;
  int entry = -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int line = static_cast<int>(i + 1);
    if (jsonNumber(lines[i], "slot") >= 0) {
      slot = jsonNumber(lines[i], "slot");
      slotLine = line;
    }
    if (jsonNumber(lines[i], "entry") >= 0) entry = jsonNumber(lines[i], "entry");
    if (lines[i].find("\"key\": true") == std::string::npos) continue;
    if (slot < 0 || slot >= kSlotCount || entry < 0 || entry >= kSlotCount) {
      refuse(reader, line, "a key item without a slot and entry from 0 to 179");
    } else {
      accept(reader, slotLine, slot, entry);
    }
    slot = entry = -1;
  }
}

// The lines of `plando` whose indices are in `kept`, as exchanges.
FixedItems keptFixes(const Plando& plando, const std::vector<std::size_t>& kept) {
  FixedItems fixes;
  for (std::size_t index : kept) fixes.push_back(plando.lines[index].fixed);
  return fixes;
}

// "A", "A and B", "A, B and C".
std::string listed(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  }
  return text;
}

// The slot a pin or one of the lines `kept` brings `item` to, or -1.
SlotIndex slotOfFixed(const GenerationState& state, const Plando& plando, const std::vector<std::size_t>& kept,
                      int32_t item) {
  for (std::size_t index : kept) {
    if (plando.lines[index].fixed.item == item) return plando.lines[index].fixed.slot;
  }
  const std::vector<SlotIndex> pins = pinnedSlotOrder(state.options);
  return std::find(pins.begin(), pins.end(), item) != pins.end() ? item : -1;
}

// Walks from `key` along "lies in a zone that needs" among fixed unreached
// keys; true with the cycle in `path` once the walk comes back.
// Keys from which no walk comes back are remembered in `dead`, so that each
// is walked from once.
bool walkToCycle(const GenerationState& state, const Plando& plando, const std::vector<std::size_t>& kept,
                 const std::vector<int32_t>& unreached, int32_t key, std::vector<int32_t>& path,
                 std::vector<int32_t>& dead) {
  const auto seen = std::find(path.begin(), path.end(), key);
  if (seen != path.end()) {
    path.erase(path.begin(), seen);
    return true;
  }
  if (std::find(dead.begin(), dead.end(), key) != dead.end()) return false;
  const SlotIndex slot = slotOfFixed(state, plando, kept, key);
  if (slot < 0 || std::find(unreached.begin(), unreached.end(), key) == unreached.end()) return false;
  path.push_back(key);
  const auto needed = state.unlockTable.find(state.slotZones[static_cast<std::size_t>(slot)]);
  if (needed != state.unlockTable.end()) {
    for (int32_t next : needed->second) {
      if (walkToCycle(state, plando, kept, unreached, next, path, dead)) return true;
    }
  }
  path.pop_back();
  dead.push_back(key);
  return false;
}

// A cycle of pinned or fixed keys each of which lies where the next is
// needed; empty when there is none.
std::vector<int32_t> fixedKeyCycle(const GenerationState& state, const Plando& plando,
                                   const std::vector<std::size_t>& kept, const std::vector<int32_t>& unreached) {
  std::vector<int32_t> dead;
  for (int32_t key : unreached) {
    std::vector<int32_t> path;
    if (walkToCycle(state, plando, kept, unreached, key, path, dead)) return path;
  }
  return {};
}

// In words, what goes wrong with the lines `kept`, which no run can keep.
std::string failure(const GenerationState& state, const Plando& plando, const std::vector<std::size_t>& kept,
                    const PlandoProof& proof) {
  const std::vector<const char*> rooms = cheatSheetRooms(state.options);
  const std::vector<int32_t> cycle = fixedKeyCycle(state, plando, kept, proof.unreachedKeys);
  // A key behind a lock it opens, whether the lock table or the unlock
  // table says so.
  const int32_t selfLocked = proof.selfLockedItem >= 0 ? proof.selfLockedItem : cycle.size() == 1 ? cycle[0] : -1;
  for (std::size_t index : kept) {
    const PlandoLine& line = plando.lines[index];
    if (selfLocked < 0 || line.fixed.item != selfLocked) continue;
    return line.text + ": the " + rooms[static_cast<std::size_t>(line.fixed.slot)] + " needs the " +
           state.slotNames[static_cast<std::size_t>(line.fixed.item)];
  }
  if (!cycle.empty()) {
    std::vector<std::string> names;
    std::string needs;
    for (std::size_t i = 0; i < cycle.size(); ++i) {
      names.push_back(plandoItemName(state, cycle[i]));
      const int32_t next = cycle[(i + 1) % cycle.size()];
      needs += std::string(i == 0 ? "" : "; ") + "the " +
               rooms[static_cast<std::size_t>(slotOfFixed(state, plando, kept, cycle[i]))] + " needs the " +
               plandoItemName(state, next);
    }
    return listed(names) + " lock each other in: " + needs;
  }
  std::vector<std::string> fixedKeys;
  std::vector<std::string> freeKeys;
  for (int32_t key : proof.unreachedKeys) {
    const bool fixed =
        std::any_of(kept.begin(), kept.end(), [&](std::size_t index) { return plando.lines[index].fixed.item == key; });
    (fixed ? fixedKeys : freeKeys).push_back(plandoItemName(state, key));
  }
  if (fixedKeys.size() >= 2 && freeKeys.empty()) return listed(fixedKeys) + " lock each other in";
  if (!proof.unreachedKeys.empty()) {
    std::vector<std::string> all = fixedKeys;
    all.insert(all.end(), freeKeys.begin(), freeKeys.end());
    return "no order of pick-ups reaches the " + listed(all) + ": each lies behind a lock that needs another of them";
  }
  if (proof.slotsShort) {
    return "too few free slots are left where the key items can be reached before the locks that need them";
  }
  return "the other items find no slots left that they do not lock";
}

}  // namespace

bool provePlando(const GenerationState& state, const Plando& plando, std::vector<std::string>& why) {
  std::vector<std::size_t> kept(plando.lines.size());
  for (std::size_t i = 0; i < kept.size(); ++i) kept[i] = i;
  const PlandoProof whole = provePlacement(state, keptFixes(plando, kept));
  if (whole.feasible) return true;
  if (!whole.decided) {
    // Never "impossible" without a proof: the search may still find a run.
    why.push_back(printable(plando.fileName) +
                  ": could not decide within the proof's step limit whether a run can keep these lines; "
                  "searching anyway");
    return true;
  }
  // Drop each line whose removal leaves the rest proven impossible still.
  for (std::size_t i = kept.size(); i-- > 0;) {
    // Copied one by one: g++ 12 warns falsely about erase here.
    std::vector<std::size_t> fewer;
    for (std::size_t j = 0; j < kept.size(); ++j) {
      if (j != i) fewer.push_back(kept[j]);
    }
    const PlandoProof proof = provePlacement(state, keptFixes(plando, fewer));
    if (!proof.feasible && proof.decided) kept = fewer;
  }
  why.push_back(printable(plando.fileName) + ": no run can keep these lines:");
  for (std::size_t index : kept) {
    why.push_back(printable(plando.fileName) + " line " + std::to_string(plando.lines[index].lineNumber) + ": " +
                  plando.lines[index].text);
  }
  why.push_back(failure(state, plando, kept, provePlacement(state, keptFixes(plando, kept))));
  return false;
}

FixedItems plandoFixes(const Plando& plando) {
  FixedItems fixes;
  for (const PlandoLine& line : plando.lines) fixes.push_back(line.fixed);
  return fixes;
}

std::string plandoPlace(const GenerationState& state, SlotIndex slot) { return slotPlace(state, slot); }

std::string plandoItemName(const GenerationState& state, int32_t item) {
  int number = 0;
  int namesakes = 0;
  for (int32_t other = 0; other < kSlotCount; ++other) {
    if (state.slotNames[static_cast<std::size_t>(other)] != state.slotNames[static_cast<std::size_t>(item)]) continue;
    ++namesakes;
    if (other == item) number = namesakes;
  }
  const std::string& name = state.slotNames[static_cast<std::size_t>(item)];
  return namesakes == 1 ? name : name + " " + std::to_string(number);
}

bool parsePlando(const GenerationState& state, const std::string& fileName, const std::string& bytes, Plando& plando,
                 std::vector<std::string>& refusals) {
  const std::size_t before = refusals.size();
  plando.fileName = fileName;
  plando.lines.clear();
  if (bytes.size() > kPlandoFileLimit) {
    refusals.push_back(printable(fileName) + ": the file is over 64 KiB");
    return false;
  }
  Reader reader{state, fileName, plando, refusals, cheatSheetRooms(state.options), std::vector<bool>(kSlotCount),
                {},    {}};
  for (SlotIndex slot : pinnedSlotOrder(state.options)) reader.pinned[static_cast<std::size_t>(slot)] = true;
  std::vector<std::string> lines;
  std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  bool tooLong = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].size() <= kPlandoLineLimit) continue;
    refuse(reader, static_cast<int>(i + 1), "the line is over 200 bytes");
    tooLong = true;
  }
  if (tooLong) return false;
  const auto firstText =
      std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return !normalized(l).empty(); });
  if (firstText != lines.end() && normalized(*firstText)[0] == '{') {
    readSpoiler(reader, lines);
  } else {
    for (std::size_t i = 0; i < lines.size(); ++i) readTextLine(reader, static_cast<int>(i + 1), lines[i]);
  }
  return refusals.size() == before;
}
