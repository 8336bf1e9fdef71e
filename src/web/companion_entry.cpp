// Entry points of the page's play companion: its worker calls these to check
// a received item list the way --check does, and to read a run (made on the
// page or received) room by room, search it and follow its key items. Each
// call reads the item list from a file of the in-memory file system and
// builds what it needs afresh, so nothing is kept between calls. Each returns
// a JSON text allocated with malloc, which the caller frees.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "catalogue/key_items.h"
#include "catalogue/rooms.h"
#include "engine/companion.h"
#include "engine/item_list_check.h"
#include "engine/plando.h"
#include "engine/run.h"
#include "output/key_route_file.h"
#include "output/item_list_reader.h"
#include "output/json_writer.h"
#include "output/text_file.h"
#include "state/generation_state.h"

namespace {

// An array member of `json`: each value as `write` puts it in.
template <typename T, typename Write>
void writeArray(JsonWriter& json, const char* name, const std::vector<T>& values, Write write) {
  if (name) json.key(name);
  json.open('[');
  for (const T& value : values) write(json, value);
  json.close(']');
}

// Writes a number as the next element.
void numberElement(JsonWriter& json, int32_t number) { json.element(std::to_string(number)); }
// Writes a string as the next element.
void stringElement(JsonWriter& json, const std::string& text) { json.element(jsonString(text)); }

// Text the caller owns, as the worker reads it with UTF8ToString and frees.
char* handOver(JsonWriter& writer) {
  writer.close('}');
  const std::string& json = writer.text;
  char* copy = static_cast<char*>(std::malloc(json.size() + 1));
  if (copy) std::memcpy(copy, json.c_str(), json.size() + 1);
  return copy;
}

// A JSON object begun for an answer.
JsonWriter answer() {
  JsonWriter json;
  json.open('{');
  return json;
}

// The run of the item list at `path` for the given setting, or an error text.
bool openRun(GenerationState& state, const char* path, int chris, int hard, std::string& error) {
  state.options.character = chris != 0;
  state.options.hardDifficulty = hard != 0;
  std::string bytes;
  if (!readItemListBytes(path, bytes, error)) {
    error = std::string("cannot read ") + path;
    return false;
  }
  if (bytes.size() > kItemListReadLimit) {
    error = "the file is larger than an item list can be";
    return false;
  }
  return openItemList(state, bytes, error);
}

// {"error": error}, handed over.
char* errorAnswer(const std::string& error) {
  JsonWriter json = answer();
  json.string("error", error);
  return handOver(json);
}

// The lines a stream collected, without the program name that starts the
// console program's messages on standard error.
std::vector<std::string> messageLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  const std::string prefix = kMessagePrefix;
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, prefix.size(), prefix) == 0) line.erase(0, prefix.size());
    lines.push_back(line);
  }
  return lines;
}

// The last part of a received file's name: the page never uses a path it did
// not choose itself.
std::string baseName(const std::string& name) {
  const std::size_t slash = name.find_last_of('/');
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  if (base.empty() || base == "." || base == "..") base = "received file";
  return base;
}

constexpr const char* kCheckFolder = "/check";

void writeKeyItem(JsonWriter& json, const GenerationState& state, SlotIndex item) {
  const SlotIndex slot = slotHolding(state.placement, item);
  json.next();
  json.open('{');
  json.member("item", item);
  json.string("label", keyItemName(state, item));
  json.string("place", slot < 0 ? "" : slotPlace(state, slot));
  json.close('}');
}

// A room's enemy: {"room", "word"}.
void writeEnemy(JsonWriter& json, const GenerationState& state, const std::string& room) {
  json.next();
  json.open('{');
  json.string("room", room);
  json.string("word", enemyWordOf(state, room));
  json.close('}');
}

// A room with its slots' original and new items and its enemies.
void writeRoom(JsonWriter& json, const GenerationState& state, const CompanionRoom& room) {
  json.next();
  json.open('{');
  json.string("heading", room.heading);
  writeArray(json, "slots", room.slots, [&state](JsonWriter& out, SlotIndex slot) {
    const int32_t entry = state.placement.at(static_cast<std::size_t>(slot));
    out.next();
    out.open('{');
    out.string("original", state.slotNames.at(static_cast<std::size_t>(slot)));
    out.string("item", itemLabel(state, entry));
    // The plando line that keeps this item here, as the key route names it.
    out.string("plando", plandoItemName(state, entry) + " in " + plandoPlace(state, slot));
    // The entry of a key item, which "Got it" ticks; -1 for any other item.
    const std::vector<SlotIndex> keys = keyItems(state);
    out.member("key", std::binary_search(keys.begin(), keys.end(), entry) ? entry : -1);
    out.close('}');
  });
  writeArray(json, "enemies", room.enemyRooms,
             [&state](JsonWriter& out, const std::string& name) { writeEnemy(out, state, name); });
  json.close('}');
}

// The key route: its steps, the keys out of reach and the links between keys.
void writeRoute(JsonWriter& json, const GenerationState& state, const KeyRoute& route) {
  const auto pickupNumber = [](JsonWriter& out, const KeyPickup& pickup) { numberElement(out, pickup.item); };
  json.key("route");
  json.open('{');
  writeArray(json, "steps", route.steps, [&](JsonWriter& out, const std::vector<KeyPickup>& step) {
    out.next();
    writeArray(out, nullptr, step, pickupNumber);
  });
  writeArray(json, "outOfReach", route.outOfReach, pickupNumber);
  writeArray(json, "links", keyRouteLinks(state), [](JsonWriter& out, const std::pair<SlotIndex, SlotIndex>& link) {
    out.next();
    writeArray(out, nullptr, std::vector<SlotIndex>{link.first, link.second}, numberElement);
  });
  json.close('}');
}

}  // namespace

// Checks the item list at `dataPath`, received under the file name `name`,
// as --check does (with --seed when `hasSeed`; the form's setting stands in
// for a name that is none of the four), and returns
// {"status", "lines": the verdict lines, "completable", "chris", "hard"}.
extern "C" EMSCRIPTEN_KEEPALIVE char* webCheckItemList(const char* dataPath, const char* name, int hasSeed,
                                                       uint32_t seed, int chris, int hard, int enemies,
                                                       int modifiers) {
  std::string bytes, error;
  if (!readItemListBytes(dataPath, bytes, error)) return errorAnswer(std::string("cannot read ") + dataPath);
  const std::string base = baseName(name);
  std::error_code failure;
  std::filesystem::remove_all(kCheckFolder, failure);
  std::filesystem::create_directories(kCheckFolder, failure);
  if (failure) return errorAnswer("cannot create " + std::string(kCheckFolder) + ": " + failure.message());
  {
    std::ofstream copy(std::string(kCheckFolder) + "/" + base, std::ios::binary);
    copy.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!copy) return errorAnswer("cannot copy the received file: " + base);
  }
  // The verdict names the file as the player gave it, not by a folder of ours.
  const std::filesystem::path previous = std::filesystem::current_path(failure);
  std::filesystem::current_path(kCheckFolder, failure);

  CheckRequest request;
  request.file = base;
  request.options.character = chris != 0;
  request.options.hardDifficulty = hard != 0;
  request.options.enemyRandomizer = enemies != 0;
  setModifierMask(request.options, modifiers);
  RunOptions named;
  request.characterGiven = request.difficultyGiven = !settingFromFileName(base, named);
  request.hasSeed = hasSeed != 0;
  request.seed = seed;

  GenerationState state;
  std::ostringstream output;  // one stream, so the lines keep their order
  Reporter reporter(output, output);
  const int status = checkItemListFile(state, SearchSettings(), reporter, request);
  std::filesystem::current_path(previous, failure);
  std::filesystem::remove_all(kCheckFolder, failure);

  const bool completable = status == kExitSuccess || status == kExitCheckDiffers;
  JsonWriter json = answer();
  json.member("status", status);
  writeArray(json, "lines", messageLines(output.str()), stringElement);
  json.flag("completable", completable);
  json.flag("chris", state.options.character);
  json.flag("hard", state.options.hardDifficulty);
  return handOver(json);
}

// The run of the item list at `path` for the setting: its rooms in cheat
// sheet order with each slot's original and new item (a key item by its
// numbered name, and "key": its number, else -1) and the rooms' enemies,
// its key items with their places, and its key route with the links between
// key items and as the key route file reads. {"error"} when the file is no item list.
extern "C" EMSCRIPTEN_KEEPALIVE char* webRunView(const char* path, int chris, int hard) {
  GenerationState state;
  std::string error;
  if (!openRun(state, path, chris, hard, error)) return errorAnswer(error);
  const CompanionRooms rooms = companionRooms(state);
  const KeyRoute route = planKeyRoute(state);
  std::vector<SlotIndex> held;
  for (const auto& step : route.steps) {
    for (const KeyPickup& pickup : step) held.push_back(pickup.item);
  }
  for (const KeyPickup& pickup : route.outOfReach) held.push_back(pickup.item);
  std::sort(held.begin(), held.end());

  JsonWriter json = answer();
  json.flag("enemies", state.options.enemyRandomizer);
  writeArray(json, "rooms", rooms.rooms,
             [&state](JsonWriter& out, const CompanionRoom& room) { writeRoom(out, state, room); });
  writeArray(json, "otherEnemies", rooms.enemyRoomsWithoutItems,
             [&state](JsonWriter& out, const std::string& room) { writeEnemy(out, state, room); });
  json.key("keys");
  json.open('[');
  for (std::size_t k = 0; k < held.size(); ++k) writeKeyItem(json, state, held[k]);
  json.close(']');
  writeRoute(json, state, route);
  json.string("routeText", formatKeyRoute(state, route));
  return handOver(json);
}

// The key items a player holding the key items `collected` (numbers joined
// by commas; others ignored) can pick up next in the run at `path`, in slot
// order: {"items": [numbers]}.
extern "C" EMSCRIPTEN_KEEPALIVE char* webReachableKeys(const char* path, int chris, int hard, const char* collected) {
  GenerationState state;
  std::string error;
  if (!openRun(state, path, chris, hard, error)) return errorAnswer(error);
  std::vector<bool> ticked(kSlotCount + 1, false);
  std::istringstream list(collected);
  for (std::string number; std::getline(list, number, ',');) {
    char* end = nullptr;
    const long item = std::strtol(number.c_str(), &end, 10);
    if (!number.empty() && *end == '\0' && item >= 0 && item <= kSlotCount) ticked[static_cast<std::size_t>(item)] = true;
  }
  JsonWriter json = answer();
  writeArray(json, "items", reachableKeys(state, ticked),
             [](JsonWriter& out, const KeyPickup& pickup) { numberElement(out, pickup.item); });
  return handOver(json);
}

// The slots of the run at `path` whose item's name (a key item's numbered
// name) contains `text` (any case), each as "ITEM in ROOM: SLOT" under that
// name: {"lines": [...]}.
extern "C" EMSCRIPTEN_KEEPALIVE char* webFindItem(const char* path, int chris, int hard, const char* text) {
  GenerationState state;
  std::string error;
  if (!openRun(state, path, chris, hard, error)) return errorAnswer(error);
  std::vector<std::string> lines;
  for (SlotIndex slot : slotsWithItemNamed(state, text)) {
    const int32_t entry = state.placement.at(static_cast<std::size_t>(slot));
    lines.push_back(itemLabel(state, entry) + " in " + slotPlace(state, slot));
  }
  JsonWriter json = answer();
  writeArray(json, "lines", lines, stringElement);
  return handOver(json);
}
