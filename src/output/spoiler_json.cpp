#include "output/spoiler_json.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "enemies/enemy_output.h"
#include "output/cheat_sheet.h"
#include "output/file_code.h"
#include "output/item_list.h"
#include "output/text_file.h"
#include "placement/key_route.h"

namespace {

// Writes JSON in the layout of JSON.stringify(value, null, 2): one member or
// element per line, two more spaces per level, "[]" for an empty array.
struct JsonWriter {
  std::string text;
  // Per open object or array: whether it has a member or element yet.
  std::vector<bool> filled;

  void newLine() { text += "\n" + std::string(2 * filled.size(), ' '); }
  // Starts the next member or element of the innermost object or array.
  void next() {
    if (filled.empty()) return;
    if (filled.back()) text += ',';
    filled.back() = true;
    newLine();
  }
  void key(const char* name) {
    next();
    text += jsonString(name) + ": ";
  }
  void open(char bracket) {
    text += bracket;
    filled.push_back(false);
  }
  void close(char bracket) {
    const bool hadItems = filled.back();
    filled.pop_back();
    if (hadItems) newLine();
    text += bracket;
  }
  void value(const std::string& raw) { text += raw; }
  void member(const char* name, const std::string& raw) {
    key(name);
    value(raw);
  }
  void member(const char* name, int64_t number) { member(name, std::to_string(number)); }
  void flag(const char* name, bool on) { member(name, std::string(on ? "true" : "false")); }
  void string(const char* name, const std::string& content) { member(name, jsonString(content)); }
};

void writeKeyPickup(JsonWriter& json, const GenerationState& state, const std::vector<const char*>& rooms,
                    const KeyPickup& pickup) {
  json.next();
  json.open('{');
  json.string("item", state.slotNames.at(static_cast<std::size_t>(pickup.item)));
  json.string("room", rooms.at(static_cast<std::size_t>(pickup.slot)));
  json.member("slot", pickup.slot);
  json.close('}');
}

}  // namespace

std::string jsonString(const std::string& text) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (std::size_t k = 0; k < text.size();) {
    const auto byte = static_cast<unsigned char>(text[k]);
    if (byte >= 0x80) {
      const std::size_t length = utf8SequenceLength(text, k);
      quoted += length ? text.substr(k, length) : "\\ufffd";
      k += length ? length : 1;
      continue;
    }
    ++k;
    switch (byte) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\b': quoted += "\\b"; break;
      case '\f': quoted += "\\f"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (byte < 0x20) {
          quoted += "\\u00";
          quoted += kDigits[byte >> 4];
          quoted += kDigits[byte & 15];
        } else {
          quoted += static_cast<char>(byte);
        }
    }
  }
  return quoted + "\"";
}

std::string spoilerFileName(const RunOptions& options) {
  return std::string("Spoiler") + characterName(options) + difficultyName(options) + ".json";
}

std::string formatSpoilerJson(const GenerationState& state, uint32_t seed,
                              const std::vector<std::string>* plandoLines) {
  const RunOptions& options = state.options;
  // "Version 0.85" on the cheat sheet; tools compare the number.
  const std::string versionPrefix = "Version ";
  const std::string version = state.version.rfind(versionPrefix, 0) == 0 ? state.version.substr(versionPrefix.size())
                                                                         : state.version;
  const std::vector<const char*> rooms = cheatSheetRooms(options);
  const std::vector<SlotIndex> keys = keyItems(state);
  JsonWriter json;
  json.open('{');
  json.member("format", kSpoilerFormat);
  json.string("program", "mansion-randomizer");
  json.string("version", version);
  json.member("seed", int64_t{seed});
  json.string("character", options.character ? "chris" : "jill");
  json.string("difficulty", options.hardDifficulty ? "hard" : "normal");
  json.flag("enemies", options.enemyRandomizer);
  json.key("modifiers");
  json.open('[');
  for (int number = 1; number <= kModifierCount; ++number) {
    if (!modifierOn(options, number)) continue;
    json.next();
    json.value(std::to_string(number));
  }
  json.close(']');
  json.string("fileCode", fileCode(formatItemList(state)));

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

  // Named apart from the "enemies" switch above: a JSON object whose names
  // repeat loses all but one of them in most readers.
  json.key("enemyRooms");
  json.open('[');
  if (options.enemyRandomizer) {
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

  json.key("route");
  json.open('[');
  for (const std::vector<KeyPickup>& step : planKeyRoute(state).steps) {
    json.next();
    json.open('[');
    for (const KeyPickup& pickup : step) writeKeyPickup(json, state, rooms, pickup);
    json.close(']');
  }
  json.close(']');
  // Only a plando run has the field, so other files keep their bytes.
  if (plandoLines != nullptr) {
    json.key("plando");
    json.open('[');
    for (const std::string& line : *plandoLines) {
      json.next();
      json.value(jsonString(line));
    }
    json.close(']');
  }
  json.close('}');
  return json.text + "\n";
}
