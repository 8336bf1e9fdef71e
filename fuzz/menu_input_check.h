#pragma once

// Runs the menu on arbitrary bytes as standard input and compares what it did
// with a small model of the menu written from its documented behaviour, not
// from its code. Shared by the fuzzer and by the corpus replay test.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "state/generation_state.h"

// runMenu's shape, so a test can hand the check a menu that is wrong on purpose
// and see that the check notices.
using MenuFunction = bool (*)(GenerationState& state, std::istream& in, std::ostream& out,
                              const std::function<void()>& clearScreen);

// Empty when runMenu behaved as the model says on `data`, else what differed.
std::string checkMenuInput(const uint8_t* data, size_t size);

// The same check on another menu. A menu that keeps printing or clearing the
// screen without reading is stopped and reported instead of hanging.
std::string checkMenuInputWith(const uint8_t* data, size_t size, MenuFunction menu);
