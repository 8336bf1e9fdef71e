#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "state/generation_state.h"

// What one line of menu input held.
struct MenuChoice {
  enum Kind { kNumber, kNoNumber, kEndOfInput } kind;
  int value;
};

// Reads one whole line and extracts a leading integer from it as stream
// extraction does: blanks skipped, optional sign, the rest of the line ignored;
// no digit or a value outside 32 bits is kNoNumber. One '\r' before the line
// end is dropped from `line`, so CR LF lines read as LF lines.
MenuChoice readMenuChoice(std::istream& in, std::string& line);

// Runs the two-page menu until a character and difficulty are chosen (prints
// the "Generating ItemList for ..." line and returns true) or the input ends
// (returns false). `clearScreen` is called after every page change or toggle.
bool runMenu(GenerationState& state, std::istream& in, std::ostream& out,
             const std::function<void()>& clearScreen);
