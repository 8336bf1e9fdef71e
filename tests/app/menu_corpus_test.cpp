#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/menu.h"
#include "menu_input_check.h"
#include "menu_pages.h"

namespace {

std::string check(const std::string& input, MenuFunction menu = runMenu) {
  return checkMenuInputWith(reinterpret_cast<const uint8_t*>(input.data()), input.size(), menu);
}

std::string crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

struct Outcome {
  bool chosen;
  std::vector<bool> switches;
  std::string transcript;
  int clears = 0;
};

Outcome runOn(const std::string& input) {
  GenerationState state;
  std::istringstream in(input);
  std::ostringstream out;
  Outcome outcome;
  outcome.chosen = runMenu(state, in, out, [&] { ++outcome.clears; });
  const RunOptions& o = state.options;
  outcome.switches = {o.character,     o.hardDifficulty,      o.enemyRandomizer,
                      o.healingToJunk, o.ammoToJunk,          o.inkRibbonsToJunk,
                      o.defenceToJunk, o.allToSelfDefenseGun, o.armedFuelCapsule,
                      o.modifierMenuShown};
  outcome.transcript = out.str();
  return outcome;
}

TEST(MenuCorpusTest, EveryCorpusInputMatchesTheModel) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(MENU_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string input{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(check(input), "") << entry.path().filename();
  }
  // A wrong folder would otherwise pass with nothing replayed.
  EXPECT_GE(files, 20u) << MENU_CORPUS_DIR;
}

// Every input of up to three lines from a handful of interesting ones, each
// with and without its last line end, must pass the check, and must do exactly
// the same with CR LF line ends.
TEST(MenuCorpusTest, ShortInputsMatchTheModelAndCrLfReadsAsLf) {
  const std::vector<std::string> pieces = {"1", "2", "3", "4", "5", "6", "7", "8", "0", "", " -5", "+6x", "abc"};
  std::vector<std::string> inputs = {""};
  for (size_t begin = 0, length = 0; length < 3; ++length) {
    const size_t end = inputs.size();
    for (size_t i = begin; i < end; ++i) {
      for (const std::string& piece : pieces) inputs.push_back(inputs[i] + piece + "\n");
    }
    begin = end;
  }
  for (const std::string& withEnd : inputs) {
    for (const std::string& lf : {withEnd, withEnd.substr(0, withEnd.empty() ? 0 : withEnd.size() - 1)}) {
      const std::string windows = crlf(lf);
      ASSERT_EQ(check(lf), "") << lf;
      ASSERT_EQ(check(windows), "") << lf;
      const Outcome a = runOn(lf);
      const Outcome b = runOn(windows);
      ASSERT_EQ(a.chosen, b.chosen) << lf;
      ASSERT_EQ(a.switches, b.switches) << lf;
      ASSERT_EQ(a.transcript, b.transcript) << lf;
      ASSERT_EQ(a.clears, b.clears) << lf;
    }
  }
}

// The check is only worth running if it can fail: menus that are wrong on
// purpose must be reported, and one that never reads must not hang the check.
TEST(MenuCorpusTest, CheckReportsAMenuThatDisagreesWithTheModel) {
  const MenuFunction printsForever = [](GenerationState&, std::istream&, std::ostream& out,
                                        const std::function<void()>&) -> bool {
    for (;;) out << kMainPage << std::flush;
  };
  EXPECT_NE(check("5\n1\n", printsForever).find("after reading only 0 lines"), std::string::npos);

  const MenuFunction clearsForever = [](GenerationState&, std::istream&, std::ostream&,
                                        const std::function<void()>& clearScreen) -> bool {
    for (;;) clearScreen();
  };
  EXPECT_NE(check("6\n", clearsForever).find("after reading only 0 lines"), std::string::npos);

  const MenuFunction strayToggle = [](GenerationState& state, std::istream& in, std::ostream& out,
                                      const std::function<void()>& clearScreen) {
    const bool chosen = runMenu(state, in, out, clearScreen);
    state.options.armedFuelCapsule = true;
    return chosen;
  };
  EXPECT_NE(check("6\n5\n2\n7\n1\n", strayToggle).find("armedFuelCapsule"), std::string::npos);
}

}  // namespace
