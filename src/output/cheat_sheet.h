#pragma once

#include <string>

#include "output/text_file.h"
#include "state/generation_state.h"

// Web page of room maps the headings are named after, cited on line 2.
constexpr const char* kRoomMapsAddress = "https://example.org/mansion-room-maps";

// "CheatSheet" + character + difficulty + ".txt", e.g. "CheatSheetChrisNormal.txt".
std::string cheatSheetFileName(const RunOptions& options);

// The whole cheat sheet of the run as it is stored (CR LF line ends): version,
// credit line, room headings and one "is replaced with" line per listed slot,
// then the enemy positions when the enemy randomizer is on. Needs the slot
// catalogue built and a placement of kSlotCount entries, each a catalogue index.
std::string formatCheatSheet(const GenerationState& state);

// Prints "Now writing <file name>" and replaces the cheat sheet in
// settings.directory atomically. On failure one line goes to reporter.errors,
// any earlier file is kept, and the result is false.
bool writeCheatSheet(const GenerationState& state, const OutputSettings& settings, Reporter& reporter);
