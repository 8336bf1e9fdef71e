// The page's Plando box: the console's verdict on a plando, line by line, as
// the player types.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/slot_catalogue.h"
#include "engine/plando.h"
#include "output/json_writer.h"
#include "placement/constraint_tables.h"
#include "state/generation_state.h"

namespace {

// Text the caller owns and frees, as the page reads it with UTF8ToString.
char* handOverText(const std::string& json) {
  char* copy = static_cast<char*>(std::malloc(json.size() + 1));
  if (copy) std::memcpy(copy, json.c_str(), json.size() + 1);
  return copy;
}

}  // namespace

// The verdict on plando text `text` (named `name`) for these options
// (`modifiers` with bit n-1 for modifier n), as JSON: {"status": the console's
// exit status for it (0, 2 or 6), "lines": the console's messages, or the
// accepted lines as the spoiler file lists them}.
extern "C" EMSCRIPTEN_KEEPALIVE char* webCheckPlando(const char* name, int chris, int hard, int modifiers,
                                                     const char* text) {
  GenerationState state;
  state.options.character = chris != 0;
  state.options.hardDifficulty = hard != 0;
  for (int number = 1; number <= kModifierCount; ++number) {
    *modifierSwitch(state.options, number) = ((modifiers >> (number - 1)) & 1) != 0;
  }
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  Plando plando;
  std::vector<std::string> lines;
  int status = 0;
  if (!parsePlando(state, name, text, plando, lines)) {
    status = 2;
  } else if (!provePlando(state, plando, lines)) {
    status = 6;
  } else {
    for (const PlandoLine& line : plando.lines) lines.push_back(line.text);
  }
  std::string json = "{\"status\":" + std::to_string(status) + ",\"lines\":[";
  for (std::size_t k = 0; k < lines.size(); ++k) json += (k ? "," : "") + jsonString(lines[k]);
  return handOverText(json + "]}");
}
