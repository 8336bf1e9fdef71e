#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
  bool ok;
  CommandLine line;
  std::string error;
};

Parsed parse(const std::vector<std::string>& arguments) {
  Parsed parsed;
  parsed.ok = parseCommandLine(arguments, parsed.line, parsed.error);
  return parsed;
}

TEST(CommandLineTest, NoArgumentsMeansTheInteractiveProgram) {
  const Parsed parsed = parse({});
  ASSERT_TRUE(parsed.ok);
  EXPECT_FALSE(parsed.line.skipMenu);
  EXPECT_FALSE(parsed.line.hasSeed);
  EXPECT_TRUE(parsed.line.outputDirectory.empty());
  EXPECT_EQ(parsed.line.threads, 0);
}

TEST(CommandLineTest, SeedAloneKeepsTheMenu) {
  for (const auto& arguments : {std::vector<std::string>{"--seed", "4294967295"}, {"--seed=4294967295"}}) {
    const Parsed parsed = parse(arguments);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.line.hasSeed);
    EXPECT_EQ(parsed.line.seed, 4294967295u);
    EXPECT_FALSE(parsed.line.skipMenu);
  }
  EXPECT_EQ(parse({"--seed", "0"}).line.seed, 0u);
}

TEST(CommandLineTest, OptionsThatReplaceTheMenu) {
  const Parsed parsed = parse({"--character", "chris", "--difficulty=hard", "--enemies", "--modifier", "1,3",
                               "--modifier", "6", "--seed", "7", "--output-dir", "runs/a", "--threads", "1024"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const RunOptions& o = parsed.line.options;
  EXPECT_TRUE(parsed.line.skipMenu);
  EXPECT_TRUE(o.character);
  EXPECT_TRUE(o.hardDifficulty);
  EXPECT_TRUE(o.enemyRandomizer);
  EXPECT_TRUE(o.healingToJunk);
  EXPECT_FALSE(o.ammoToJunk);
  EXPECT_TRUE(o.inkRibbonsToJunk);
  EXPECT_FALSE(o.defenceToJunk);
  EXPECT_FALSE(o.allToSelfDefenseGun);
  EXPECT_TRUE(o.armedFuelCapsule);
  EXPECT_EQ(parsed.line.outputDirectory, "runs/a");
  EXPECT_EQ(parsed.line.threads, 1024);
  EXPECT_EQ(parse({"--plando", "route.txt", "--check", "a"}).line.plandoFile, "route.txt");
  const Parsed race = parse({"--race", "--character", "jill", "--difficulty", "normal", "--enemies"});
  EXPECT_TRUE(race.line.race && race.line.skipMenu && !parsed.line.race) << race.error;
  const Parsed jill = parse({"--difficulty", "Normal", "--character", "JILL"});
  ASSERT_TRUE(jill.ok);
  EXPECT_FALSE(jill.line.options.character);
  EXPECT_FALSE(jill.line.options.hardDifficulty);
}

TEST(CommandLineTest, PartialMenuOptionsSayWhatIsMissing) {
  EXPECT_EQ(parse({"--character", "jill"}).error, "missing --difficulty: both are needed to run without the menu");
  EXPECT_EQ(parse({"--difficulty", "hard"}).error, "missing --character: both are needed to run without the menu");
  // The menu has these switches too, so alone they say so.
  EXPECT_EQ(parse({"--enemies"}).error,
            "missing --character and --difficulty: --enemies needs both (or leave it out and switch it on in the "
            "menu)");
  EXPECT_EQ(parse({"--modifier", "2", "--enemies"}).error,
            "missing --character and --difficulty: --modifier needs both (or leave it out and switch it on in the "
            "menu)");
  EXPECT_FALSE(parse({"--modifier", "2", "--character", "chris"}).ok);
}

TEST(CommandLineTest, BadArguments) {
  struct Case {
    std::vector<std::string> arguments;
    const char* error;
  };
  const Case cases[] = {
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"chris"}, "unknown option 'chris'"},
      {{"--colour=red"}, "unknown option '--colour=red'"},
      {{"--enemies=yes"}, "option --enemies takes no value"},
      {{"--seed"}, "option --seed needs a value"},
      {{"--character", "chris", "--difficulty"}, "option --difficulty needs a value"},
      {{"--output-dir"}, "option --output-dir needs a value"},
      {{"--key-route=yes"}, "option --key-route takes no value"},
      {{"--seed", "4294967296"}, "invalid seed '4294967296': expected a whole number from 0 to 4294967295"},
      {{"--seed", "-1"}, "invalid seed '-1': expected a whole number from 0 to 4294967295"},
      {{"--seed", "12abc"}, "invalid seed '12abc': expected a whole number from 0 to 4294967295"},
      {{"--seed="}, "invalid seed '': expected a whole number from 0 to 4294967295"},
      {{"--seed", "99999999999999999999"},
       "invalid seed '99999999999999999999': expected a whole number from 0 to 4294967295"},
      {{"--modifier", "7"}, "invalid modifier '7': expected a number from 1 to 6"},
      {{"--modifier", "0"}, "invalid modifier '0': expected a number from 1 to 6"},
      {{"--modifier", "1,,2"}, "invalid modifier '': expected a number from 1 to 6"},
      {{"--modifier", "12"}, "invalid modifier '12': expected a number from 1 to 6"},
      {{"--character", "barry"}, "invalid character 'barry': expected chris or jill"},
      {{"--difficulty", "easy"}, "invalid difficulty 'easy': expected normal or hard"},
      {{"--output-dir", ""}, "option --output-dir needs a folder"},
      {{"--plando="}, "option --plando needs a file"},
      {{"--threads", "0"}, "invalid thread count '0': expected a whole number from 1 to 1024"},
      {{"--threads", "1025"}, "invalid thread count '1025': expected a whole number from 1 to 1024"},
      {{"--threads=-2"}, "invalid thread count '-2': expected a whole number from 1 to 1024"},
      // A race shows no seed and writes the item list alone.
      {{"--race", "--character", "chris", "--difficulty", "hard", "--seed", "5"},
       "--race cannot be given with --seed: a race's seed is secret, so nobody can make its cheat sheet"},
      {{"--key-route", "--race", "--character", "chris", "--difficulty", "hard"},
       "--race cannot be given with --key-route: a race writes the item list alone"},
      {{"--race", "--character", "chris", "--difficulty", "hard", "--spoiler-json"},
       "--race cannot be given with --spoiler-json: a race writes the item list alone"},
      {{"--race", "--check", "ItemListChrisHard.txt"},
       "--race cannot be given with --check: a race makes a run, --check checks one"},
      {{"--race", "--character", "chris"}, "missing --difficulty: both are needed to run without the menu"},
      {{"--check", "ItemListChrisHard.txt", "--spoiler-json"},
       "--spoiler-json cannot be given with --check: a check writes no spoiler file"},
      // Without --seed a check makes no run the plando could belong to.
      {{"--check", "ItemListChrisHard.txt", "--plando", "p.txt"},
       "--plando cannot be given with --check without --seed: it names the plando of the seed's run"},
      // A message stays one line: control characters and broken UTF-8 as
      // \xNN, whole UTF-8 characters (including four-byte ones) as they are.
      {{"--character", "J\xc3\xbcrgen\n"}, "invalid character 'J\xc3\xbcrgen\\x0a': expected chris or jill"},
      {{"--difficulty", "\xf0\x9f\x98\x80\r\x7f"},
       "invalid difficulty '\xf0\x9f\x98\x80\\x0d\\x7f': expected normal or hard"},
      {{"--bad\xc3", "x"}, "unknown option '--bad\\xc3'"},
      {{"--seed", "\xc2\x85\xed\xa0\x80\xe2\x82"},
       "invalid seed '\\xc2\\x85\\xed\\xa0\\x80\\xe2\\x82': expected a whole number from 0 to 4294967295"},
  };
  for (const Case& c : cases) {
    const Parsed parsed = parse(c.arguments);
    EXPECT_FALSE(parsed.ok) << c.arguments[0];
    EXPECT_EQ(parsed.error, c.error);
  }
}

TEST(CommandLineTest, HelpAndVersionNeedNothingElse) {
  EXPECT_TRUE(parse({"--help"}).line.help);
  EXPECT_TRUE(parse({"--version"}).line.version);
  EXPECT_TRUE(parse({"--character", "chris", "--help"}).ok);
  const std::string usage = usageText();
  for (const char* option : {"--seed 12345", "--character chris", "--difficulty normal", "--enemies",
                             "--modifier 1,3", "--output-dir runs/race1", "--threads N", "--race", "--spoiler-json"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  // The example writing into a race's folder makes a race.
  const size_t raceFolder = usage.find("--output-dir runs/race1");
  const size_t lineStart = usage.rfind('\n', raceFolder) + 1;
  EXPECT_NE(usage.substr(lineStart, raceFolder - lineStart).find("--race "), std::string::npos);
}

}  // namespace
