#include "output/spoiler_json.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "catalogue/enemy_words.h"
#include "catalogue/key_items.h"
#include "catalogue/rooms.h"
#include "output/file_code.h"
#include "output/item_list.h"
#include "output/json_writer.h"
#include "output/text_file.h"
#include "placement/key_route.h"

namespace {

void writeKeyPickup(JsonWriter& json, const GenerationState& state, const std::vector<const char*>& rooms,
                    const KeyPickup& pickup) {
  json.next();
  json.open('{');
  json.string("item", keyItemName(state, pickup.item));
  json.string("room", rooms.at(static_cast<std::size_t>(pickup.slot)));
  json.member("slot", pickup.slot);
  json.close('}');
}

}  // namespace

std::string spoilerFileName(const RunOptions& options) {
  return std::string("Spoiler") + characterName(options) + difficultyName(options) + ".json";
}

namespace {

// The modifiers switched on, ascending.
void writeModifiers(JsonWriter& json, const RunOptions& options) {
  json.key("modifiers");
  json.open('[');
  for (int number = 1; number <= kModifierCount; ++number) {
    if (!modifierOn(options, number)) continue;
    json.next();
    json.value(std::to_string(number));
  }
  json.close(']');
}

// Every slot in slot order: where it is, what it held and what it gives now.
void writeSlots(JsonWriter& json, const GenerationState& state, const std::vector<const char*>& rooms) {
  const std::vector<SlotIndex> keys = keyItems(state);
  json.key("slots");
  json.open('[');
  for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
    const int32_t entry = state.placement.at(static_cast<std::size_t>(slot));
    json.next();
    json.open('{');
    json.member("slot", slot);
    json.string("room", rooms[static_cast<std::size_t>(slot)]);
    json.string("original", state.slotNames.at(static_cast<std::size_t>(slot)));
    json.string("item", state.slotNames.at(static_cast<std::size_t>(entry)));
    json.member("entry", entry);
    json.flag("key", std::binary_search(keys.begin(), keys.end(), entry));
    json.close('}');
  }
  json.close(']');
}

// Each enemy-table room's enemy, in the item list's order; none when the
// enemy randomizer is off.
void writeEnemyRooms(JsonWriter& json, const GenerationState& state) {
  // Named apart from the "enemies" switch: a JSON object whose names repeat
  // loses all but one of them in most readers.
  json.key("enemyRooms");
  json.open('[');
  if (state.options.enemyRandomizer) {
    for (const auto& [room, codes] : state.enemyRoomTable) {
      json.next();
      json.open('{');
      json.string("room", room);
      json.member("enemy", codes.front());
      json.string("name", enemyCodeWord(codes.front()));
      json.close('}');
    }
  }
  json.close(']');
}

// The key route's steps, as the key route file gives them.
void writeRoute(JsonWriter& json, const GenerationState& state, const std::vector<const char*>& rooms) {
  json.key("route");
  json.open('[');
  for (const std::vector<KeyPickup>& step : planKeyRoute(state).steps) {
    json.next();
    json.open('[');
    for (const KeyPickup& pickup : step) writeKeyPickup(json, state, rooms, pickup);
    json.close(']');
  }
  json.close(']');
}

// A plando run's lines.
void writePlando(JsonWriter& json, const std::vector<std::string>& lines) {
  json.key("plando");
  json.open('[');
  for (const std::string& line : lines) {
    json.next();
    json.value(jsonString(line));
  }
  json.close(']');
}

}  // namespace

std::string formatSpoilerJson(const GenerationState& state, uint32_t seed,
                              const std::vector<std::string>* plandoLines) {
  const RunOptions& options = state.options;
  // "Version 0.85" on the cheat sheet; tools compare the number.
  const std::string versionPrefix = "Version ";
  const std::string version = state.version.rfind(versionPrefix, 0) == 0 ? state.version.substr(versionPrefix.size())
                                                                         : state.version;
  const std::vector<const char*> rooms = cheatSheetRooms(options);
  JsonWriter json;
  json.open('{');
  json.member("format", kSpoilerFormat);
  json.string("program", "mansion-randomizer");
  json.string("version", version);
  json.member("seed", int64_t{seed});
  json.string("character", options.character ? "chris" : "jill");
  json.string("difficulty", options.hardDifficulty ? "hard" : "normal");
  json.flag("enemies", options.enemyRandomizer);
  writeModifiers(json, options);
  json.string("fileCode", fileCode(formatItemList(state)));
  writeSlots(json, state, rooms);
  writeEnemyRooms(json, state);
  writeRoute(json, state, rooms);
  // Only a plando run has the field, so other files keep their bytes.
  if (plandoLines != nullptr) writePlando(json, *plandoLines);
  json.close('}');
  return json.text + "\n";
}
