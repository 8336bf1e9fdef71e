#include "app/menu.h"

#include <gtest/gtest.h>

#include <sstream>

#include "menu_pages.h"

namespace {

const char kInvalid[] = "Invalid number, please try again\n";

struct MenuRun {
  GenerationState state;
  std::string transcript;
  int clears = 0;
  bool chosen = false;

  explicit MenuRun(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    chosen = runMenu(state, in, out, [this] { ++clears; });
    transcript = out.str();
  }
};

MenuChoice parse(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  return readMenuChoice(in, line);
}

TEST(ReadMenuChoiceTest, ExtractsALeadingIntegerFromTheWholeLine) {
  EXPECT_EQ(parse("5\n").value, 5);
  EXPECT_EQ(parse("5abc\n").value, 5);
  EXPECT_EQ(parse("   3\n").value, 3);
  EXPECT_EQ(parse("\t+4 and more\n").value, 4);
  EXPECT_EQ(parse("-2\n").value, -2);
  EXPECT_EQ(parse("2147483647\n").value, 2147483647);
  EXPECT_EQ(parse("-2147483648\n").value, -2147483647 - 1);
  EXPECT_EQ(parse("6").kind, MenuChoice::kNumber);  // last line without a newline
  for (const char* invalid : {"\n", "   \n", "abc5\n", "+\n", "- 1\n", "2147483648\n", "12345678901\n",
                              "-2147483649\n"}) {
    EXPECT_EQ(parse(invalid).kind, MenuChoice::kNoNumber) << invalid;
  }
  EXPECT_EQ(parse("").kind, MenuChoice::kEndOfInput);
}

TEST(ReadMenuChoiceTest, ReadsOneLinePerCall) {
  std::istringstream in("x\n7\n");
  std::string line;
  EXPECT_EQ(readMenuChoice(in, line).kind, MenuChoice::kNoNumber);
  EXPECT_EQ(readMenuChoice(in, line).value, 7);
  EXPECT_EQ(readMenuChoice(in, line).kind, MenuChoice::kEndOfInput);
}

TEST(ReadMenuChoiceTest, CrLfLineReadsAsTheSameLfLine) {
  std::istringstream in("5abc\r\n\r\n7\r\r\n4\r");
  std::string line;
  EXPECT_EQ(readMenuChoice(in, line).value, 5);
  EXPECT_EQ(line, "5abc");
  EXPECT_EQ(readMenuChoice(in, line).kind, MenuChoice::kNoNumber);
  EXPECT_EQ(line, "");
  EXPECT_EQ(readMenuChoice(in, line).value, 7);
  EXPECT_EQ(line, "7\r");  // only the CR of the line end goes
  EXPECT_EQ(readMenuChoice(in, line).value, 4);
  EXPECT_EQ(line, "4");
  EXPECT_EQ(readMenuChoice(in, line).kind, MenuChoice::kEndOfInput);
}

TEST(MenuTest, EachChoiceStartsItsSetting) {
  struct Case {
    const char* input;
    bool chris;
    bool hard;
    const char* line;
  };
  for (const Case& c : {Case{"1\n", true, false, "Generating ItemList for Chris on Normal Difficulty...\n"},
                        Case{"2\n", false, false, "Generating ItemList for Jill on Normal Difficulty...\n"},
                        Case{"3\n", true, true, "Generating ItemList for Chris on Hard Difficulty...\n"},
                        Case{"4\n", false, true, "Generating ItemList for Jill on Hard Difficulty...\n"}}) {
    MenuRun run(c.input);
    EXPECT_TRUE(run.chosen);
    EXPECT_EQ(run.state.options.character, c.chris);
    EXPECT_EQ(run.state.options.hardDifficulty, c.hard);
    EXPECT_EQ(run.transcript, std::string(kMainPage) + c.line);
    EXPECT_EQ(run.clears, 0);
  }
}

TEST(MenuTest, BlanksBeforeTheNumberAreSkipped) {
  MenuRun run("   3\n");
  EXPECT_TRUE(run.state.options.character);
  EXPECT_TRUE(run.state.options.hardDifficulty);
}

TEST(MenuTest, TrailingTextIsIgnoredButLeadingTextIsInvalid) {
  MenuRun run("5abc\nabc5\n7\n2\n");
  EXPECT_EQ(run.transcript, std::string(kMainPage) + kModifierPage + kInvalid + kModifierPage + kMainPage +
                                "Generating ItemList for Jill on Normal Difficulty...\n");
  EXPECT_EQ(run.clears, 2);
}

TEST(MenuTest, InvalidNumbersOnTheMainPage) {
  MenuRun run("7\n0\n-1\n\n12345678901\nhello\n2\n");
  std::string expected;
  for (int i = 0; i < 6; ++i) expected += std::string(kMainPage) + kInvalid;
  expected += std::string(kMainPage) + "Generating ItemList for Jill on Normal Difficulty...\n";
  EXPECT_EQ(run.transcript, expected);
  EXPECT_EQ(run.clears, 0);
}

TEST(MenuTest, EnemyRandomizerToggles) {
  std::string mainPageOn = kMainPage;
  mainPageOn.replace(mainPageOn.find("OFF"), 3, "ON");
  MenuRun once("6\n1\n");
  EXPECT_TRUE(once.state.options.enemyRandomizer);
  EXPECT_EQ(once.transcript,
            kMainPage + mainPageOn + "Generating ItemList for Chris on Normal Difficulty...\n");
  MenuRun twice("6\n6\n1\n");
  EXPECT_FALSE(twice.state.options.enemyRandomizer);
  EXPECT_EQ(twice.clears, 2);
  EXPECT_EQ(twice.transcript, kMainPage + mainPageOn + kMainPage +
                                  "Generating ItemList for Chris on Normal Difficulty...\n");
}

TEST(MenuTest, ModifierPageTogglesSwitchesWithoutStartingARun) {
  MenuRun run("5\n1\n2\n3\n4\n5\n6\n1\n7\n3\n");
  const RunOptions& o = run.state.options;
  EXPECT_FALSE(o.healingToJunk);  // toggled twice
  EXPECT_TRUE(o.ammoToJunk);
  EXPECT_TRUE(o.inkRibbonsToJunk);
  EXPECT_TRUE(o.defenceToJunk);
  EXPECT_TRUE(o.allToSelfDefenseGun);
  EXPECT_TRUE(o.armedFuelCapsule);
  EXPECT_FALSE(o.modifierMenuShown);
  EXPECT_TRUE(o.character);
  EXPECT_TRUE(o.hardDifficulty);
  EXPECT_EQ(run.clears, 9);
  EXPECT_NE(run.transcript.find("2) Swap ammo items with Junk - ON\n"), std::string::npos);
  EXPECT_NE(run.transcript.find("5) Swap all non-key items with Self-defense Gun (BUGGY) - ON\n"),
            std::string::npos);
}

TEST(MenuTest, ModifierChosenThenBackKeepsItsValue) {
  MenuRun run("5\n2\n7\n1\n");
  EXPECT_TRUE(run.state.options.ammoToJunk);
  EXPECT_TRUE(run.chosen);
}

TEST(MenuTest, InvalidNumbersOnTheModifierPage) {
  MenuRun run("5\n8\n0\n99999999999\n7\n4\n");
  EXPECT_EQ(run.transcript, std::string(kMainPage) + kModifierPage + kInvalid + kModifierPage + kInvalid +
                                kModifierPage + kInvalid + kModifierPage + kMainPage +
                                "Generating ItemList for Jill on Hard Difficulty...\n");
  EXPECT_FALSE(run.state.options.healingToJunk);
}

TEST(MenuTest, EndOfInputEndsTheMenuWithoutARun) {
  for (const char* input : {"", "5\n", "6\n9\n", "abc"}) {
    MenuRun run(input);
    EXPECT_FALSE(run.chosen) << input;
  }
}

}  // namespace
