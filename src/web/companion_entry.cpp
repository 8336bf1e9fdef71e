// Entry points of the page's play companion: its worker calls these to check
// a received item list the way --check does, and to read a run (made on the
// page or received) room by room, search it and follow its key items. Each
// call reads the item list from a file of the in-memory file system and
// builds what it needs afresh, so nothing is kept between calls. Each returns
// a JSON text allocated with malloc, which the caller frees.

#include <emscripten/emscripten.h>

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

#include "engine/companion.h"
#include "engine/item_list_check.h"
#include "engine/run.h"
#include "output/cheat_sheet.h"
#include "output/key_route_file.h"
#include "output/spoiler_json.h"
#include "output/text_file.h"
#include "state/generation_state.h"

namespace {

std::string jsonBool(bool value) { return value ? "true" : "false"; }

template <typename T, typename Format>
std::string jsonArray(const std::vector<T>& values, Format format) {
  std::string out = "[";
  for (std::size_t k = 0; k < values.size(); ++k) out += (k ? "," : "") + format(values[k]);
  return out + "]";
}

// Text the caller owns, as the worker reads it with UTF8ToString and frees.
char* handOver(const std::string& json) {
  char* copy = static_cast<char*>(std::malloc(json.size() + 1));
  if (copy) std::memcpy(copy, json.c_str(), json.size() + 1);
  return copy;
}

// An item list is under 2 KB; the check reads no more than this either.
constexpr std::size_t kReadLimit = 64 * 1024;

bool readSmallFile(const char* path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.resize(kReadLimit + 1);
  file.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return true;
}

// The run of the item list at `path` for the given setting, or an error text.
bool openRun(GenerationState& state, std::ostringstream& discarded, const char* path, int chris, int hard,
             std::string& error) {
  state.console = &discarded;
  state.errors = &discarded;
  state.options.character = chris != 0;
  state.options.hardDifficulty = hard != 0;
  std::string bytes;
  if (!readSmallFile(path, bytes)) {
    error = std::string("cannot read ") + path;
    return false;
  }
  if (bytes.size() > kReadLimit) {
    error = "the file is larger than an item list can be";
    return false;
  }
  return openItemList(state, bytes, error);
}

std::string errorJson(const std::string& error) { return "{\"error\":" + jsonString(error) + "}"; }

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

std::string keyItemJson(const GenerationState& state, SlotIndex item, const std::string& label) {
  const SlotIndex slot = slotHolding(state.placement, item);
  return "{\"item\":" + std::to_string(item) + ",\"label\":" + jsonString(label) +
         ",\"place\":" + jsonString(slot < 0 ? "" : slotPlace(state, slot)) + "}";
}

// The name the page shows for the item a slot holds: a key item's numbered
// label ("Old Key 3", catalogue order), else its display name.
struct ItemNames {
  std::map<SlotIndex, std::string> keyLabels;
  const GenerationState* state;

  std::string of(int32_t entry) const {
    const auto found = keyLabels.find(entry);
    return found != keyLabels.end() ? found->second : state->slotNames.at(static_cast<std::size_t>(entry));
  }
};

ItemNames itemNames(const GenerationState& state) {
  ItemNames names{{}, &state};
  const std::vector<SlotIndex> keys = keyItems(state);
  const std::vector<std::string> labels = keyItemLabels(state, keys);
  for (std::size_t k = 0; k < keys.size(); ++k) names.keyLabels[keys[k]] = labels[k];
  return names;
}

}  // namespace

// Checks the item list at `dataPath`, received under the file name `name`,
// as --check does (with --seed when `hasSeed`; the form's setting stands in
// for a name that is none of the four), and returns
// {"status", "lines": the verdict lines, "completable", "chris", "hard"}.
extern "C" EMSCRIPTEN_KEEPALIVE char* webCheckItemList(const char* dataPath, const char* name, int hasSeed,
                                                       uint32_t seed, int chris, int hard, int enemies,
                                                       int modifiers) {
  std::string bytes;
  if (!readSmallFile(dataPath, bytes)) return handOver(errorJson(std::string("cannot read ") + dataPath));
  const std::string base = baseName(name);
  std::error_code failure;
  std::filesystem::remove_all(kCheckFolder, failure);
  std::filesystem::create_directories(kCheckFolder, failure);
  if (failure) return handOver(errorJson("cannot create " + std::string(kCheckFolder) + ": " + failure.message()));
  {
    std::ofstream copy(std::string(kCheckFolder) + "/" + base, std::ios::binary);
    copy.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!copy) return handOver(errorJson("cannot copy the received file: " + base));
  }
  // The verdict names the file as the player gave it, not by a folder of ours.
  const std::filesystem::path previous = std::filesystem::current_path(failure);
  std::filesystem::current_path(kCheckFolder, failure);

  CheckRequest request;
  request.file = base;
  request.options.character = chris != 0;
  request.options.hardDifficulty = hard != 0;
  request.options.enemyRandomizer = enemies != 0;
  for (int number = 1; number <= kModifierCount; ++number) {
    *modifierSwitch(request.options, number) = ((modifiers >> (number - 1)) & 1) != 0;
  }
  RunOptions named;
  request.characterGiven = request.difficultyGiven = !settingFromFileName(base, named);
  request.hasSeed = hasSeed != 0;
  request.seed = seed;

  GenerationState state;
  std::ostringstream output;  // one stream, so the lines keep their order
  state.console = &output;
  state.errors = &output;
  const int status = checkItemListFile(state, request);
  std::filesystem::current_path(previous, failure);
  std::filesystem::remove_all(kCheckFolder, failure);

  const bool completable = status == kExitSuccess || status == kExitCheckDiffers;
  return handOver("{\"status\":" + std::to_string(status) + ",\"lines\":" +
                  jsonArray(messageLines(output.str()), jsonString) + ",\"completable\":" + jsonBool(completable) +
                  ",\"chris\":" + jsonBool(state.options.character) +
                  ",\"hard\":" + jsonBool(state.options.hardDifficulty) + "}");
}

// The run of the item list at `path` for the setting: its rooms in cheat
// sheet order with each slot's original and new item (a key item by its
// numbered name, and "key": its number, else -1) and the rooms' enemies,
// its key items with their places, and its key route with the links between
// key items and as the key route file reads. {"error"} when the file is no item list.
extern "C" EMSCRIPTEN_KEEPALIVE char* webRunView(const char* path, int chris, int hard) {
  GenerationState state;
  std::ostringstream discarded;
  std::string error;
  if (!openRun(state, discarded, path, chris, hard, error)) return handOver(errorJson(error));

  const auto enemyJson = [&state](const std::string& room) {
    return "{\"room\":" + jsonString(room) + ",\"word\":" + jsonString(enemyWordOf(state, room)) + "}";
  };
  const CompanionRooms rooms = companionRooms(state);
  const ItemNames names = itemNames(state);
  const auto keyOf = [&names](int32_t entry) { return names.keyLabels.count(entry) ? entry : -1; };
  const std::string roomsJson = jsonArray(rooms.rooms, [&](const CompanionRoom& room) {
    return "{\"heading\":" + jsonString(room.heading) + ",\"slots\":" + jsonArray(room.slots, [&](SlotIndex slot) {
             const int32_t entry = state.placement.at(static_cast<std::size_t>(slot));
             return "{\"original\":" + jsonString(state.slotNames.at(static_cast<std::size_t>(slot))) +
                    ",\"item\":" + jsonString(names.of(entry)) + ",\"key\":" + std::to_string(keyOf(entry)) + "}";
           }) + ",\"enemies\":" + jsonArray(room.enemyRooms, enemyJson) + "}";
  });

  const KeyRoute route = planKeyRoute(state);
  std::vector<SlotIndex> held;
  for (const auto& step : route.steps) {
    for (const KeyPickup& pickup : step) held.push_back(pickup.item);
  }
  for (const KeyPickup& pickup : route.outOfReach) held.push_back(pickup.item);
  std::sort(held.begin(), held.end());
  std::string keysJson = "[";
  for (std::size_t k = 0; k < held.size(); ++k) keysJson += (k ? "," : "") + keyItemJson(state, held[k], names.of(held[k]));
  keysJson += "]";
  const auto itemNumber = [](const KeyPickup& pickup) { return std::to_string(pickup.item); };
  const std::string routeJson =
      "{\"steps\":" +
      jsonArray(route.steps, [&](const std::vector<KeyPickup>& step) { return jsonArray(step, itemNumber); }) +
      ",\"outOfReach\":" + jsonArray(route.outOfReach, itemNumber) + ",\"links\":" +
      jsonArray(keyRouteLinks(state), [](const std::pair<SlotIndex, SlotIndex>& link) {
        return "[" + std::to_string(link.first) + "," + std::to_string(link.second) + "]";
      }) + "}";

  return handOver("{\"enemies\":" + jsonBool(state.options.enemyRandomizer) + ",\"rooms\":" + roomsJson +
                  ",\"otherEnemies\":" + jsonArray(rooms.enemyRoomsWithoutItems, enemyJson) +
                  ",\"keys\":" + keysJson + ",\"route\":" + routeJson +
                  ",\"routeText\":" + jsonString(formatKeyRoute(state, route)) + "}");
}

// The key items a player holding the key items `collected` (numbers joined
// by commas; others ignored) can pick up next in the run at `path`, in slot
// order: {"items": [numbers]}.
extern "C" EMSCRIPTEN_KEEPALIVE char* webReachableKeys(const char* path, int chris, int hard, const char* collected) {
  GenerationState state;
  std::ostringstream discarded;
  std::string error;
  if (!openRun(state, discarded, path, chris, hard, error)) return handOver(errorJson(error));
  std::vector<bool> ticked(kSlotCount + 1, false);
  std::istringstream list(collected);
  for (std::string number; std::getline(list, number, ',');) {
    char* end = nullptr;
    const long item = std::strtol(number.c_str(), &end, 10);
    if (!number.empty() && *end == '\0' && item >= 0 && item <= kSlotCount) ticked[static_cast<std::size_t>(item)] = true;
  }
  const std::vector<KeyPickup> reachable = reachableKeys(state, ticked);
  return handOver("{\"items\":" +
                  jsonArray(reachable, [](const KeyPickup& pickup) { return std::to_string(pickup.item); }) + "}");
}

// The slots of the run at `path` whose item's name contains `text` (any
// case), each as "ITEM in ROOM: SLOT" with key items numbered: {"lines": [...]}.
extern "C" EMSCRIPTEN_KEEPALIVE char* webFindItem(const char* path, int chris, int hard, const char* text) {
  GenerationState state;
  std::ostringstream discarded;
  std::string error;
  if (!openRun(state, discarded, path, chris, hard, error)) return handOver(errorJson(error));
  std::vector<std::string> lines;
  const ItemNames names = itemNames(state);
  for (SlotIndex slot : slotsWithItemNamed(state, text)) {
    lines.push_back(names.of(state.placement.at(static_cast<std::size_t>(slot))) + " in " + slotPlace(state, slot));
  }
  return handOver("{\"lines\":" + jsonArray(lines, jsonString) + "}");
}
