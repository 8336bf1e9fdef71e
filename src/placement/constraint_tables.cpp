#include "placement/constraint_tables.h"

#include <cstddef>

namespace {

enum Applies { kBoth, kChrisOnly, kJillOnly };

// One value appended under one key, in build order.
struct ConstraintEntry {
  int32_t key;
  int32_t value;
  Applies applies;
};

// Key item -> a zone behind it. Zone 24 has no slot for either character and
// zone 38 none for Chris; such entries never match but are kept as listed.
constexpr ConstraintEntry kLockEntries[] = {
    {0, 38, kJillOnly},
    {2, 15, kBoth},
    {3, 17, kBoth},
    {9, 11, kChrisOnly}, {9, 12, kChrisOnly}, {9, 36, kChrisOnly},
    {15, 3, kBoth},
    {16, 6, kBoth},
    {18, 6, kBoth},
    {24, 18, kBoth},
    {28, 14, kBoth},
    {32, 11, kChrisOnly}, {32, 12, kChrisOnly}, {32, 36, kChrisOnly},
    {34, 33, kBoth}, {34, 34, kBoth},
    {37, 11, kChrisOnly}, {37, 12, kChrisOnly}, {37, 36, kChrisOnly},
    {47, 33, kBoth}, {47, 34, kBoth},
    {48, 3, kBoth}, {48, 4, kBoth}, {48, 9, kBoth}, {48, 12, kBoth}, {48, 13, kBoth},
    {48, 14, kBoth}, {48, 15, kBoth}, {48, 16, kBoth}, {48, 17, kBoth},
    {51, 5, kBoth}, {51, 6, kBoth},
    {59, 29, kBoth}, {59, 30, kBoth}, {59, 31, kBoth}, {59, 32, kBoth},
    {61, 18, kBoth},
    {62, 16, kBoth},
    {66, 33, kBoth}, {66, 34, kBoth},
    {74, 3, kBoth},
    {77, 6, kBoth},
    {79, 6, kBoth},
    {82, 36, kBoth},
    {85, 11, kChrisOnly}, {85, 12, kChrisOnly}, {85, 36, kChrisOnly},
    {89, 13, kBoth},
    {90, 13, kBoth},
    {91, 13, kBoth},
    {92, 20, kBoth}, {92, 21, kBoth},
    {94, 11, kChrisOnly}, {94, 12, kChrisOnly}, {94, 36, kChrisOnly},
    {100, 7, kBoth}, {100, 8, kBoth}, {100, 9, kBoth}, {100, 10, kBoth}, {100, 11, kBoth},
    {100, 12, kBoth}, {100, 13, kBoth}, {100, 14, kBoth}, {100, 15, kBoth}, {100, 16, kBoth},
    {100, 17, kBoth}, {100, 18, kBoth}, {100, 19, kBoth}, {100, 20, kBoth}, {100, 21, kBoth},
    {100, 22, kBoth}, {100, 23, kBoth}, {100, 24, kBoth}, {100, 25, kBoth}, {100, 26, kBoth},
    {100, 27, kBoth}, {100, 28, kBoth}, {100, 29, kBoth}, {100, 30, kBoth}, {100, 31, kBoth},
    {100, 32, kBoth}, {100, 36, kBoth}, {100, 37, kBoth}, {100, 38, kBoth},
    {102, 33, kBoth}, {102, 34, kBoth},
    {103, 21, kBoth},
    {104, 21, kBoth},
    {105, 21, kBoth},
    {107, 22, kBoth}, {107, 23, kBoth}, {107, 24, kBoth}, {107, 25, kBoth}, {107, 26, kBoth},
    {107, 27, kBoth}, {107, 28, kBoth}, {107, 29, kBoth}, {107, 30, kBoth}, {107, 31, kBoth},
    {107, 32, kBoth},
    {114, 31, kBoth}, {114, 32, kBoth},
    {116, 30, kBoth},
    {122, 31, kBoth}, {122, 32, kBoth},
    {123, 32, kBoth},
    {129, 33, kBoth}, {129, 34, kBoth},
    {139, 28, kBoth},
    {142, 27, kBoth},
    {145, 23, kBoth},
    {147, 26, kBoth},
    {148, 27, kBoth},
    {150, 8, kBoth}, {150, 10, kBoth},
    {154, 25, kBoth}, {154, 26, kBoth}, {154, 27, kBoth},
    {163, 34, kBoth},};

// Zone -> a key item needed to enter it. Zone 2 needs nothing and has no
// entry. The two tables are not inverses of each other: each rejects some
// placements the other lets through.
constexpr ConstraintEntry kUnlockEntries[] = {
    {3, 48, kBoth}, {3, 15, kBoth}, {3, 74, kBoth},
    {4, 48, kBoth},
    {5, 51, kBoth},
    {6, 51, kBoth}, {6, 16, kBoth}, {6, 18, kBoth}, {6, 77, kBoth}, {6, 79, kBoth},
    {7, 100, kBoth},
    {8, 150, kBoth},
    {9, 100, kBoth}, {9, 48, kBoth},
    {10, 100, kBoth}, {10, 150, kBoth},
    {11, 100, kBoth}, {11, 9, kChrisOnly}, {11, 32, kChrisOnly}, {11, 37, kChrisOnly},
    {11, 85, kChrisOnly}, {11, 94, kChrisOnly},
    {12, 100, kBoth}, {12, 48, kBoth}, {12, 9, kChrisOnly}, {12, 32, kChrisOnly},
    {12, 37, kChrisOnly}, {12, 85, kChrisOnly}, {12, 94, kChrisOnly},
    {13, 100, kBoth}, {13, 48, kBoth}, {13, 89, kBoth}, {13, 90, kBoth}, {13, 91, kBoth},
    {13, 9, kChrisOnly}, {13, 32, kChrisOnly}, {13, 37, kChrisOnly}, {13, 85, kChrisOnly},
    {13, 94, kChrisOnly},
    {14, 100, kBoth}, {14, 48, kBoth}, {14, 28, kBoth},
    {15, 100, kBoth}, {15, 48, kBoth}, {15, 2, kBoth},
    {16, 100, kBoth}, {16, 48, kBoth}, {16, 62, kBoth},
    {17, 100, kBoth}, {17, 48, kBoth}, {17, 3, kBoth},
    {18, 100, kBoth}, {18, 24, kBoth}, {18, 61, kBoth},
    {19, 100, kBoth}, {19, 102, kBoth},
    {20, 100, kBoth}, {20, 102, kBoth}, {20, 92, kBoth},
    {21, 100, kBoth}, {21, 102, kBoth}, {21, 103, kBoth}, {21, 104, kBoth}, {21, 105, kBoth},
    {22, 100, kBoth}, {22, 102, kBoth}, {22, 107, kBoth},
    {23, 100, kBoth}, {23, 102, kBoth}, {23, 107, kBoth}, {23, 145, kBoth},
    {25, 100, kBoth}, {25, 102, kBoth}, {25, 107, kBoth}, {25, 154, kBoth},
    {26, 100, kBoth}, {26, 102, kBoth}, {26, 107, kBoth}, {26, 154, kBoth}, {26, 147, kBoth},
    {27, 100, kBoth}, {27, 102, kBoth}, {27, 107, kBoth}, {27, 154, kBoth}, {27, 148, kBoth},
    {27, 142, kBoth}, {27, 48, kBoth},
    {28, 100, kBoth}, {28, 102, kBoth}, {28, 107, kBoth}, {28, 139, kBoth},
    {29, 100, kBoth}, {29, 102, kBoth}, {29, 107, kBoth}, {29, 59, kBoth},
    {30, 100, kBoth}, {30, 102, kBoth}, {30, 107, kBoth}, {30, 59, kBoth}, {30, 116, kBoth},
    {31, 100, kBoth}, {31, 102, kBoth}, {31, 107, kBoth}, {31, 59, kBoth}, {31, 114, kBoth},
    {31, 122, kBoth},
    {32, 100, kBoth}, {32, 102, kBoth}, {32, 107, kBoth}, {32, 59, kBoth}, {32, 114, kBoth},
    {32, 122, kBoth}, {32, 123, kBoth},
    {33, 102, kBoth}, {33, 34, kBoth}, {33, 129, kBoth}, {33, 66, kBoth}, {33, 47, kBoth},
    {33, 61, kChrisOnly}, {33, 24, kChrisOnly},
    {34, 102, kBoth}, {34, 34, kBoth}, {34, 129, kBoth}, {34, 66, kBoth}, {34, 47, kBoth},
    {34, 163, kBoth},
    {36, 100, kBoth}, {36, 82, kBoth}, {36, 9, kChrisOnly}, {36, 32, kChrisOnly},
    {36, 37, kChrisOnly}, {36, 85, kChrisOnly}, {36, 94, kChrisOnly},
    {37, 100, kBoth}, {37, 11, kBoth},
    {38, 100, kBoth}, {38, 48, kBoth}, {38, 0, kBoth},};

template <std::size_t N>
void appendEntries(const ConstraintEntry (&entries)[N], bool chris,
                   std::map<int32_t, std::vector<int32_t>>& table) {
  for (const ConstraintEntry& entry : entries) {
    if (entry.applies == kChrisOnly && !chris) continue;
    if (entry.applies == kJillOnly && chris) continue;
    table[entry.key].push_back(entry.value);
  }
}

}  // namespace

void buildConstraintTables(GenerationState& state) {
  appendEntries(kLockEntries, state.options.character, state.lockTable);
  appendEntries(kUnlockEntries, state.options.character, state.unlockTable);
}
