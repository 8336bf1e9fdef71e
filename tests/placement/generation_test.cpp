#include "placement/generation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/slot_catalogue.h"
#include "placement/candidate_search.h"
#include "placement/constraint_tables.h"
#include "placement/parallel_search.h"
#include "placement/reference_placement.h"

namespace {

// The program's generation of `state` as a front end runs it, printing on
// `console`.
bool generateWith(GenerationState& state, std::ostream& console, int threads, int64_t attemptLimit = kTestAttemptLimit,
                  bool smartTerminal = false, const ProgressTiming& timing = ProgressTiming()) {
  Reporter reporter(console, std::cerr);
  reporter.smartTerminal = smartTerminal;
  SearchSettings search;
  search.threads = threads;
  search.attemptLimit = attemptLimit;
  return generatePlacement(state, deriveSearchTables(state, ""), search, reporter, timing);
}

// One run of the program's generation and one of the reference, from the
// same seed, after the same number of earlier draws (the enemy assignment's).
struct SideBySide {
  std::ostringstream fastConsole;
  std::ostringstream referenceConsole;
  GenerationState fast;
  GenerationState reference;

  SideBySide(bool chris, bool hard) {
    for (GenerationState* state : {&fast, &reference}) {
      state->options.character = chris;
      state->options.hardDifficulty = hard;
      buildSlotCatalogue(*state);
      buildConstraintTables(*state);
    }
  }

  // Runs the reference from `seed`, then the program's generation once per
  // thread count on a copy of `fast`, which is left at the starting position;
  // the caller may change the tables of both first. Returns the accepted
  // attempt count.
  int64_t run(uint32_t seed, int earlierDraws, std::initializer_list<int> threadCounts = {1, 2, 5}) {
    ReferenceRandom random(seed);
    for (int i = 0; i < earlierDraws; ++i) random.next();
    referenceGeneratePlacement(reference, random, referenceConsole, kTestAttemptLimit);
    fast.random.reseed(seed);
    for (int i = 0; i < earlierDraws; ++i) fast.random.next();
    // A search that wrongly rejects would never end: make sure it accepts by
    // the reference's count before running the loop itself.
    const SearchTables tables = deriveSearchTables(fast, "");
    if (tables.usable) {
      GenerationState probe = fast;
      EXPECT_TRUE(searchCandidates(probe, tables, static_cast<int32_t>(reference.attemptCount)));
      if (!probe.placementValid && probe.attemptCount != reference.attemptCount) return 0;
    }
    // The modifiers draw next: the generator must stand where rand() does.
    std::vector<uint32_t> after;
    for (int i = 0; i < 100; ++i) after.push_back(random.next());
    for (int threads : threadCounts) {
      SCOPED_TRACE(testing::Message() << threads << " threads");
      GenerationState run = fast;
      std::ostringstream console;
      generateWith(run, console, threads);
      EXPECT_TRUE(run.placementValid);
      EXPECT_EQ(run.placement, reference.placement);
      EXPECT_EQ(run.attemptCount, reference.attemptCount);
      EXPECT_EQ(console.str(), referenceConsole.str());
      EXPECT_TRUE(run.dependencyPath.empty());
      // The validator's lookups leave the same empty lists in both tables.
      EXPECT_EQ(run.lockTable, reference.lockTable);
      EXPECT_EQ(run.unlockTable, reference.unlockTable);
      std::vector<uint32_t> drawn;
      for (size_t i = 0; i < after.size(); ++i) drawn.push_back(static_cast<uint32_t>(run.random.next()));
      EXPECT_EQ(drawn, after);
    }
    for (bool latestFirst : {true, false}) {
      if (!tables.usable) break;
      // The web page's way: tasks of several blocks handed out a few at a
      // time, each searched to its own first pass, and their outcomes entered
      // in either order, as workers that fall behind or run ahead return them.
      SCOPED_TRACE(latestFirst ? "tasks entered latest first" : "tasks entered earliest first");
      GenerationState run = fast;
      BlockLedger ledger;
      startBlockSearch(ledger, run.random, kTestAttemptLimit - run.attemptCount);
      BlockTask task;
      for (bool more = true; more;) {
        std::vector<std::pair<TaskOutcome, Placement>> round;
        while (round.size() < 4 && (more = takeBlockTask(ledger, 3, task))) {
          Placement passing;
          const TaskOutcome outcome = searchBlockTask(tables, task, passing, [](int64_t) { return false; });
          round.emplace_back(outcome, passing);
        }
        if (latestFirst) std::reverse(round.begin(), round.end());
        for (auto& [outcome, passing] : round) recordTaskOutcome(ledger, outcome, passing);
      }
      EXPECT_EQ(attemptsKnownToFail(ledger), (reference.attemptCount - 1) / kParallelBlockAttempts * kParallelBlockAttempts);
      EXPECT_TRUE(finishBlockSearch(run, ledger));
      EXPECT_EQ(run.placement, reference.placement);
      EXPECT_EQ(run.attemptCount, reference.attemptCount);
      std::vector<uint32_t> drawn;
      for (size_t i = 0; i < after.size(); ++i) drawn.push_back(static_cast<uint32_t>(run.random.next()));
      EXPECT_EQ(drawn, after);
    }
    return reference.attemptCount;
  }
};

// Whether the next passing candidate after the accepted one (attempt
// `accepted`, counted from `from`) lies in the following block of the
// parallel search, so two threads found passing candidates side by side.
bool nextPassInNeighbouringBlock(const GenerationState& from, int64_t accepted) {
  GenerationState probe = from;
  const SearchTables tables = deriveSearchTables(probe, "");
  if (!searchCandidates(probe, tables, static_cast<int32_t>(accepted)) || probe.attemptCount != accepted) return false;
  if (!searchCandidates(probe, tables, 2 * kParallelBlockAttempts)) return false;
  return (probe.attemptCount - 1) / kParallelBlockAttempts == (accepted - 1) / kParallelBlockAttempts + 1;
}

TEST(GenerationTest, JillMatchesTheReferenceForManySeeds) {
  const uint32_t seeds = static_cast<uint32_t>(scaledCount(24, 3));
  int neighbouring = 0;
  for (bool hard : {false, true}) {
    for (uint32_t seed = 1; seed <= seeds; ++seed) {
      SCOPED_TRACE(testing::Message() << "hard " << hard << ", seed " << seed);
      SideBySide runs(false, hard);
      const int64_t accepted = runs.run(seed, static_cast<int>(seed % 4) * 53);
      neighbouring += nextPassInNeighbouringBlock(runs.fast, accepted);
    }
  }
  // Runs where a later block of another thread passes as well, and loses.
  if (!kSlowBuild) {
    EXPECT_GE(neighbouring, 3);
  }
}

// Chris needs about half a million attempts on Normal and a million on Hard;
// these seeds need far fewer, so the slow reference finishes in seconds.
TEST(GenerationTest, ChrisMatchesTheReferenceOnQuickSeeds) {
  const std::vector<uint32_t> normalSeeds = kSlowBuild ? std::vector<uint32_t>{1073}
                                                       : std::vector<uint32_t>{1073, 338, 621, 177, 3};
  const std::vector<uint32_t> hardSeeds = kSlowBuild ? std::vector<uint32_t>{50} : std::vector<uint32_t>{50, 20, 128};
  for (uint32_t seed : normalSeeds) {
    SCOPED_TRACE(testing::Message() << "normal, seed " << seed);
    SideBySide runs(true, false);
    runs.run(seed, 0);
  }
  for (uint32_t seed : hardSeeds) {
    SCOPED_TRACE(testing::Message() << "hard, seed " << seed);
    SideBySide runs(true, true);
    runs.run(seed, 0);
  }
}

TEST(GenerationTest, TablesBeyondTheMasksFallBackToTheChecksAsWritten) {
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    SideBySide runs(false, false);
    // A zone no mask can hold; it has no lock or unlock rows, like zone 2.
    runs.fast.slotZones[150] = runs.reference.slotZones[150] = 70;
    ASSERT_FALSE(deriveSearchTables(runs.fast, "").usable);
    runs.run(seed, 0);
  }
}

TEST(GenerationTest, TooManyFollowedItemsFallBackToBuildingEachSurvivor) {
  for (uint32_t seed = 1; seed <= static_cast<uint32_t>(scaledCount(6, 2)); ++seed) {
    SideBySide runs(false, true);
    // Sixty more items that must not lie in zone 21 (slot 106 alone).
    for (GenerationState* state : {&runs.fast, &runs.reference}) {
      for (int32_t item = 100; item < 160; ++item) state->lockTable[item].push_back(21);
    }
    ASSERT_FALSE(deriveSearchTables(runs.fast, "").followFits);
    runs.run(seed, 0);
  }
}

// Jill on Hard, tables built, generator seeded with 5: 17434 attempts.
GenerationState jillHardFromSeed5() {
  GenerationState state;
  state.options.hardDifficulty = true;
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  state.random.reseed(5);
  return state;
}

// Everything the generation printed before the acceptance lines.
std::string beforeAcceptance(const std::string& output) {
  return output.substr(0, output.find("Valid sequence generated!"));
}

TEST(GenerationTest, ProgressLineOnlyOnASmartTerminalAndErasedBeforeAcceptance) {
  // Jill on Hard from seed 5 takes 17434 attempts, several looks at the clock.
  for (int threads : {1, 2}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    auto generate = [threads](bool smartTerminal, const ProgressTiming& timing, std::ostringstream& console) {
      GenerationState state = jillHardFromSeed5();
      GenerationState probe = state;
      const bool accepts = searchCandidates(probe, deriveSearchTables(probe, ""), 17434);
      EXPECT_TRUE(accepts);
      if (accepts && probe.attemptCount == 17434) {
        generateWith(state, console, threads, kTestAttemptLimit, smartTerminal, timing);
      }
      return state;
    };
    const ProgressTiming atOnce{std::chrono::seconds(0), std::chrono::seconds(0)};

    std::ostringstream pipe;
    const GenerationState piped = generate(false, atOnce, pipe);
    EXPECT_EQ(pipe.str(),
              "Valid sequence generated!\n"
              "Number of times the items were randomized before finding a valid sequence:17434\n");

    std::ostringstream terminal;
    const GenerationState shown = generate(true, atOnce, terminal);
    EXPECT_EQ(shown.placement, piped.placement);
    EXPECT_EQ(shown.attemptCount, piped.attemptCount);
    const std::string output = terminal.str();
    ASSERT_EQ(output.substr(output.size() - pipe.str().size()), pipe.str());

    // Each update rewrites the line in place; the counts grow; the last update
    // is blanked out with as many spaces as it had characters.
    const std::string progress = beforeAcceptance(output);
    std::vector<std::string> lines;
    std::string::size_type start = progress.find('\r');
    ASSERT_EQ(start, 0u);
    while (start != std::string::npos && start + 1 < progress.size()) {
      const std::string::size_type next = progress.find('\r', start + 1);
      lines.push_back(progress.substr(start + 1, next == std::string::npos ? std::string::npos : next - start - 1));
      start = next;
    }
    ASSERT_GE(lines.size(), 2u);
    const std::string blank = lines.back();
    lines.pop_back();
    // One thread looks at the clock after every 4096 attempts. Several
    // threads report as their blocks of 1024 end, which depends on how the
    // threads are scheduled, and last every block before the passing one.
    if (threads == 1) {
      EXPECT_EQ(lines, (std::vector<std::string>{"Searching... 4096 attempts so far", "Searching... 8192 attempts so far",
                                                 "Searching... 12288 attempts so far",
                                                 "Searching... 16384 attempts so far"}));
    } else {
      EXPECT_EQ(lines.back(), "Searching... 17408 attempts so far");
    }
    int32_t previous = 0;
    for (const std::string& line : lines) {
      ASSERT_EQ(line.rfind("Searching... ", 0), 0u) << line;
      ASSERT_NE(line.find(" attempts so far"), std::string::npos) << line;
      const int32_t count = std::stoi(line.substr(13));
      EXPECT_GT(count, previous);
      EXPECT_LT(count, 17434);
      previous = count;
    }
    EXPECT_EQ(blank, std::string(lines.back().size(), ' '));

    // Before the delay nothing is shown.
    std::ostringstream quick;
    generate(true, ProgressTiming(), quick);
    EXPECT_EQ(quick.str(), pipe.str());
  }
}

TEST(GenerationTest, AttemptLimitEndsTheSearchWithoutATraceAndAllowsTheLastAttempt) {
  // Every search path: the mask tables on one and on several threads, and
  // the checks as written.
  for (int threads : {1, 3, 0}) {
    const bool usable = threads != 0;
    SCOPED_TRACE(usable ? testing::Message() << threads << " threads" : testing::Message() << "checks as written");
    auto fresh = [usable]() {
      GenerationState state = jillHardFromSeed5();
      if (!usable) state.slotZones[150] = 70;
      return state;
    };
    const ProgressTiming atOnce{std::chrono::seconds(0), std::chrono::seconds(0)};
    std::ostringstream unlimitedConsole;
    GenerationState unlimited = fresh();
    ASSERT_EQ(deriveSearchTables(unlimited, "").usable, usable);
    ASSERT_TRUE(generateWith(unlimited, unlimitedConsole, threads));
    const int64_t needed = unlimited.attemptCount;
    ASSERT_GT(needed, 4096);  // more than one step of the loop

    // A limit of exactly the accepted attempt still accepts it.
    std::ostringstream exactConsole;
    GenerationState exact = fresh();
    EXPECT_TRUE(generateWith(exact, exactConsole, threads, needed, true, atOnce));
    EXPECT_EQ(exact.placement, unlimited.placement);

    // One less gives up after exactly that many candidates, erases its
    // progress line and leaves the generator where those candidates left it.
    std::ostringstream shortConsole;
    GenerationState cut = fresh();
    EXPECT_FALSE(generateWith(cut, shortConsole, threads, needed - 1, true, atOnce));
    EXPECT_FALSE(cut.placementValid);
    EXPECT_EQ(cut.attemptCount, needed - 1);
    const std::string shown = shortConsole.str();
    EXPECT_EQ(shown.find("Valid sequence"), std::string::npos);
    const size_t lastLine = shown.rfind('\r', shown.size() - 2);
    ASSERT_NE(lastLine, std::string::npos) << "no progress line shown";
    EXPECT_EQ(shown.substr(lastLine + 1), std::string(shown.size() - lastLine - 2, ' ') + "\r");
    ReferenceRandom random(5);
    for (int64_t draw = 0; draw < (needed - 1) * kSlotCount; ++draw) random.next();
    EXPECT_EQ(static_cast<uint32_t>(cut.random.next()), random.next());
  }
}

}  // namespace
