#include "output/item_list_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <utility>

#include "catalogue/enemy_words.h"
#include "enemies/enemy_assignment.h"
#include "enemies/enemy_room_table.h"

namespace {

constexpr const char* kEnemyBlockHeader = "ENEMYRANDODATA";
// Enough of a bad line to recognise it, short enough for one message line.
constexpr std::size_t kQuotedLength = 24;

// `text` in quotes, cut short, with bytes that are not printable ASCII shown
// as \xNN so the message stays one readable line.
std::string quoted(const std::string& text) {
  std::string out = "'";
  for (std::size_t i = 0; i < text.size() && i < kQuotedLength; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
      out += static_cast<char>(byte);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    }
  }
  if (text.size() > kQuotedLength) out += "...";
  return out + "'";
}

// A plain decimal number from 0 to `highest` as the writer prints it: digits
// only, no sign, no leading zero, no blanks.
bool plainNumber(const std::string& text, int highest, int32_t& value) {
  if (text.empty() || text.size() > 3 || (text.size() > 1 && text[0] == '0')) return false;
  int number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  if (number > highest) return false;
  value = number;
  return true;
}

// The lines of `bytes`: split at LF, one CR before it dropped; a last line
// without its line end still counts.
std::vector<std::string> splitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    std::size_t stop = end;
    if (stop > start && bytes[stop - 1] == '\r' && end != bytes.size()) --stop;
    lines.push_back(bytes.substr(start, stop - start));
    start = next;
  }
  return lines;
}

std::string codeName(EnemyCode code) { return std::to_string(code) + " (" + enemyCodeWord(code) + ")"; }

bool fail(ItemListFault& fault, std::size_t line, std::string reason) {
  fault.line = static_cast<int>(line);
  fault.reason = std::move(reason);
  return false;
}

}  // namespace

bool readItemList(const std::string& bytes, ItemListContents& contents, ItemListFault& fault) {
  contents = ItemListContents();
  const std::vector<std::string> lines = splitLines(bytes);
  for (std::size_t slot = 0; slot < static_cast<std::size_t>(kSlotCount); ++slot) {
    if (slot == lines.size()) {
      return fail(fault, slot + 1,
                  "the file ends after " + std::to_string(slot) + " of " + std::to_string(kSlotCount) + " slot lines");
    }
    int32_t entry = 0;
    if (!plainNumber(lines[slot], kExtraNameIndex, entry)) {
      return fail(
          fault, slot + 1,
          "expected a catalogue entry from 0 to " + std::to_string(kExtraNameIndex) + ", found " + quoted(lines[slot]));
    }
    contents.placement.push_back(entry);
  }
  std::size_t line = kSlotCount;  // index of the next line
  if (line == lines.size()) return true;
  if (lines[line] != kEnemyBlockHeader) {
    return fail(fault, line + 1,
                std::string("expected ") + kEnemyBlockHeader + " or the end of the file, found " + quoted(lines[line]));
  }
  ++line;

  EnemyRoomTable table;
  loadEnemyRoomTable(table);
  // Room that holds each once-only code so far.
  const std::string* holder[11] = {};
  std::size_t room = 0;
  for (const auto& [name, candidates] : table) {
    if (line == lines.size()) {
      return fail(
          fault, line + 1,
          "the enemy block ends after " + std::to_string(room) + " of " + std::to_string(table.size()) + " rooms");
    }
    EnemyCode code = 0;
    if (!plainNumber(lines[line], 10, code) || code < 1) {
      return fail(fault, line + 1,
                  "expected an enemy code from 1 to 10 for " + name + ", found " + quoted(lines[line]));
    }
    if (std::find(candidates.begin(), candidates.end(), code) == candidates.end()) {
      return fail(fault, line + 1, name + " does not allow enemy code " + codeName(code));
    }
    if (isOnceOnlyEnemyCode(code)) {
      if (holder[code]) {
        return fail(fault, line + 1,
                    "enemy code " + codeName(code) + " goes to one room only, but " + *holder[code] + " and " + name +
                        " both have it");
      }
      holder[code] = &name;
    }
    contents.enemyCodes.push_back(code);
    ++line;
    ++room;
  }
  for (EnemyCode code = 1; code <= 10; ++code) {
    if (isOnceOnlyEnemyCode(code) && !holder[code]) {
      return fail(fault, line, "no room has enemy code " + codeName(code) + ", which one room must have");
    }
  }
  if (line < lines.size()) return fail(fault, line + 1, "the file goes on after the enemy block");
  return true;
}
