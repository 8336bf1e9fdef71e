#include "app/command_line.h"

#include <cctype>

namespace {

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// More threads than any machine has gain nothing and only cost memory.
constexpr uint32_t kMaxThreads = 1024;

// Decimal digits only, 0..4294967295.
bool parseSeed(const std::string& text, uint32_t& seed) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > 0xffffffffu) return false;
  seed = static_cast<uint32_t>(value);
  return true;
}

// The switch of a --modifier value: one digit 1..kModifierCount.
bool* modifierSwitch(RunOptions& options, const std::string& number) {
  if (number.size() != 1 || number[0] < '0' || number[0] > '9') return nullptr;
  return modifierSwitch(options, number[0] - '0');
}

// The parse so far: the result, its error and what the options add up to.
struct Parse {
  CommandLine& result;
  std::string& error;
  // Set by the options that run without the menu.
  bool replacesMenu = false;
  // The first --enemies or --modifier: switches the menu offers too.
  const char* menuSwitch = nullptr;
};

// Takes one option's value (empty for a switch); false with parse.error set
// when the value cannot be used.
using OptionHandler = bool (*)(Parse& parse, const std::string& value);

struct Option {
  const char* name;
  bool takesValue;
  OptionHandler handle;
};

bool takeHelp(Parse& parse, const std::string&) {
  parse.result.help = true;
  return true;
}

bool takeVersion(Parse& parse, const std::string&) {
  parse.result.version = true;
  return true;
}

bool takeSeed(Parse& parse, const std::string& value) {
  if (!parseSeed(value, parse.result.seed)) {
    parse.error = "invalid seed '" + printable(value) + "': expected a whole number from 0 to 4294967295";
    return false;
  }
  parse.result.hasSeed = true;
  return true;
}

bool takeCharacter(Parse& parse, const std::string& value) {
  const std::string character = lowerCase(value);
  if (character != "chris" && character != "jill") {
    parse.error = "invalid character '" + printable(value) + "': expected chris or jill";
    return false;
  }
  parse.result.options.character = character == "chris";
  parse.result.characterGiven = parse.replacesMenu = true;
  return true;
}

bool takeDifficulty(Parse& parse, const std::string& value) {
  const std::string difficulty = lowerCase(value);
  if (difficulty != "normal" && difficulty != "hard") {
    parse.error = "invalid difficulty '" + printable(value) + "': expected normal or hard";
    return false;
  }
  parse.result.options.hardDifficulty = difficulty == "hard";
  parse.result.difficultyGiven = parse.replacesMenu = true;
  return true;
}

bool takeEnemies(Parse& parse, const std::string&) {
  parse.result.options.enemyRandomizer = true;
  parse.replacesMenu = true;
  if (!parse.menuSwitch) parse.menuSwitch = "--enemies";
  return true;
}

// A comma list or one number; repeating the option adds to the set.
bool takeModifier(Parse& parse, const std::string& value) {
  size_t start = 0;
  for (;;) {
    const size_t comma = value.find(',', start);
    const std::string number = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    bool* modifier = modifierSwitch(parse.result.options, number);
    if (!modifier) {
      parse.error = "invalid modifier '" + printable(number) + "': expected a number from 1 to 6";
      return false;
    }
    *modifier = true;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  parse.replacesMenu = true;
  if (!parse.menuSwitch) parse.menuSwitch = "--modifier";
  return true;
}

bool takeKeyRoute(Parse& parse, const std::string&) {
  parse.result.keyRoute = true;
  return true;
}

bool takeSpoilerJson(Parse& parse, const std::string&) {
  parse.result.spoilerJson = true;
  return true;
}

bool takeRace(Parse& parse, const std::string&) {
  parse.result.race = parse.replacesMenu = true;
  return true;
}

bool takeCheck(Parse& parse, const std::string& value) {
  if (value.empty()) {
    parse.error = "option --check needs a file";
    return false;
  }
  parse.result.checkFile = value;
  return true;
}

bool takePlando(Parse& parse, const std::string& value) {
  if (value.empty()) {
    parse.error = "option --plando needs a file";
    return false;
  }
  parse.result.plandoFile = value;
  return true;
}

bool takeThreads(Parse& parse, const std::string& value) {
  uint32_t threads = 0;
  if (!parseSeed(value, threads) || threads < 1 || threads > kMaxThreads) {
    parse.error = "invalid thread count '" + printable(value) + "': expected a whole number from 1 to " +
                  std::to_string(kMaxThreads);
    return false;
  }
  parse.result.threads = static_cast<int>(threads);
  return true;
}

bool takeOutputDir(Parse& parse, const std::string& value) {
  if (value.empty()) {
    parse.error = "option --output-dir needs a folder";
    return false;
  }
  parse.result.outputDirectory = value;
  return true;
}

// Every option the program knows, each written once.
const Option kOptions[] = {
    {"--help", false, takeHelp},
    {"-h", false, takeHelp},
    {"--version", false, takeVersion},
    {"--seed", true, takeSeed},
    {"--character", true, takeCharacter},
    {"--difficulty", true, takeDifficulty},
    {"--enemies", false, takeEnemies},
    {"--modifier", true, takeModifier},
    {"--output-dir", true, takeOutputDir},
    {"--key-route", false, takeKeyRoute},
    {"--spoiler-json", false, takeSpoilerJson},
    {"--race", false, takeRace},
    {"--check", true, takeCheck},
    {"--threads", true, takeThreads},
    {"--plando", true, takePlando},
};

const Option* findOption(const std::string& name) {
  for (const Option& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// Reads the option at arguments[i], and its value (after '=' or as the next
// argument, which moves i on), into the parse.
bool takeArgument(const std::vector<std::string>& arguments, size_t& i, Parse& parse) {
  std::string name = arguments[i];
  std::string value;
  const size_t equals = name.find('=');
  const bool hasValue = name.rfind("--", 0) == 0 && equals != std::string::npos;
  if (hasValue) {
    value = name.substr(equals + 1);
    name = name.substr(0, equals);
  }
  const Option* option = findOption(name);
  if (!option) {
    parse.error = "unknown option '" + printable(arguments[i]) + "'";
    return false;
  }
  if (option->takesValue && !hasValue) {
    if (i + 1 == arguments.size()) {
      parse.error = "option " + name + " needs a value";
      return false;
    }
    value = arguments[++i];
  } else if (!option->takesValue && hasValue) {
    parse.error = "option " + name + " takes no value";
    return false;
  }
  return option->handle(parse, value);
}

// The option a race cannot be given with, and why; null when there is none.
// Each of them would reveal the run, or makes no run at all.
const char* refusedWithRace(const CommandLine& result) {
  if (result.hasSeed) return "--seed: a race's seed is secret, so nobody can make its cheat sheet";
  if (result.keyRoute) return "--key-route: a race writes the item list alone";
  if (result.spoilerJson) return "--spoiler-json: a race writes the item list alone";
  if (!result.checkFile.empty()) return "--check: a race makes a run, --check checks one";
  return nullptr;
}

// The error for options that replace the menu without naming the whole
// setting. --enemies and --modifier alone are switches the menu has too.
std::string missingSetting(const Parse& parse) {
  const CommandLine& result = parse.result;
  const bool neither = !result.characterGiven && !result.difficultyGiven;
  std::string error = neither                   ? "missing --character and --difficulty"
                      : !result.characterGiven ? "missing --character"
                                               : "missing --difficulty";
  if (neither && !result.race && parse.menuSwitch) {
    return error + ": " + parse.menuSwitch + " needs both (or leave it out and switch it on in the menu)";
  }
  return error + ": both are needed to run without the menu";
}

}  // namespace

bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine& result, std::string& error) {
  Parse parse{result, error};
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (!takeArgument(arguments, i, parse)) return false;
  }
  if (result.help || result.version) return true;
  if (const char* refused = result.race ? refusedWithRace(result) : nullptr) {
    error = std::string("--race cannot be given with ") + refused;
    return false;
  }
  if (!result.plandoFile.empty() && !result.checkFile.empty() && !result.hasSeed) {
    error = "--plando cannot be given with --check without --seed: it names the plando of the seed's run";
    return false;
  }
  if (result.spoilerJson && !result.checkFile.empty()) {
    error = "--spoiler-json cannot be given with --check: a check writes no spoiler file";
    return false;
  }
  // A check takes its setting from the file name; the options only fill in.
  if (!result.checkFile.empty()) return true;
  if (parse.replacesMenu && !(result.characterGiven && result.difficultyGiven)) {
    error = missingSetting(parse);
    return false;
  }
  result.skipMenu = parse.replacesMenu;
  return true;
}

CheckRequest checkRequestFor(const CommandLine& commandLine) {
  CheckRequest request;
  request.file = commandLine.checkFile;
  request.characterGiven = commandLine.characterGiven;
  request.difficultyGiven = commandLine.difficultyGiven;
  request.options = commandLine.options;
  request.hasSeed = commandLine.hasSeed;
  request.seed = commandLine.seed;
  request.keyRoute = commandLine.keyRoute;
  request.outputDirectory = commandLine.outputDirectory;
  request.plandoFile = commandLine.plandoFile;
  return request;
}

std::string usageText() {
  return "Usage: mansion-randomizer [options]\n"
         "\n"
         "Without options the program shows its menu and seeds the generator with the clock.\n"
         "\n"
         "Options:\n"
         "  --seed N              seed the generator with N (0 to 4294967295) instead of the clock\n"
         "  --character NAME      chris or jill; with --difficulty, runs without the menu\n"
         "  --difficulty LEVEL    normal or hard; with --character, runs without the menu\n"
         "  --enemies             switch the enemy randomizer on\n"
         "  --modifier K          switch modifier K on (1 to 6); repeat it or give a comma list:\n"
         "                          1 healing items to junk     2 ammo to junk\n"
         "                          3 ink ribbons to junk       4 defence items to junk\n"
         "                          5 the items of 1 to 4, the junk, the spare guns and the fuel\n"
         "                            canteen to the self-defence gun; key items stay\n"
         "                          6 armed fuel supply capsule\n"
         "  --output-dir DIR      write the files into DIR (created if missing)\n"
         "  --key-route           also write KeyRoute<Character><Difficulty>.txt: the key items\n"
         "                          in the order they can be collected\n"
         "  --check FILE          check an item list instead of generating one: can its run be\n"
         "                          completed? The character and difficulty come from the file\n"
         "                          name, or from --character and --difficulty; with --seed (and\n"
         "                          --enemies, --modifier) also says whether it is exactly that\n"
         "                          seed's file; with --key-route writes its key route beside it\n"
         "                          (or into --output-dir). The file is never changed.\n"
         "  --spoiler-json        also write Spoiler<Character><Difficulty>.json: the whole run\n"
         "                          (slots, enemies, key route) for trackers and other tools\n"
         "  --race                a race: the seed comes from the system's secure random source\n"
         "                          and is shown nowhere, and only the item list is written; share\n"
         "                          it and its file code (needs --character and --difficulty; not\n"
         "                          with --seed, --key-route or --spoiler-json). Nobody learns the\n"
         "                          seed, but the item list holds the whole placement: --check\n"
         "                          --key-route on it shows the route, so a race relies on racers\n"
         "                          not opening their file with these tools\n"
         "  --plando FILE         keep the items FILE fixes where it says, one per line as\n"
         "                          \"ITEM in ROOM: SLOT\" (a key route or spoiler file will do);\n"
         "                          the rest is shuffled around them\n"
         "  --threads N           search on N threads (default: one per hardware thread);\n"
         "                          the files are the same for every N\n"
         "  --help                show this text\n"
         "  --version             show the program's version\n"
         "\n"
         "Examples:\n"
         "  mansion-randomizer --seed 12345\n"
         "  mansion-randomizer --character chris --difficulty normal --seed 12345\n"
         "  mansion-randomizer --character jill --difficulty hard --enemies --modifier 1,3 --modifier 6\n"
         "  mansion-randomizer --check ItemListChrisHard.txt --seed 12345 --key-route\n"
         "  mansion-randomizer --race --character chris --difficulty hard --enemies --output-dir runs/race1\n"
         "  mansion-randomizer --check runs/race1/ItemListChrisHard.txt\n"
         "\n"
         "Exit status: 0 the files were written, 1 a file could not be written,\n"
         "2 bad arguments, 3 the input ended before a run was chosen,\n"
         "4 no valid sequence was found within " +
         std::to_string(kAttemptLimit) +
         " attempts (nothing written);\n"
         "with --check: 0 the run can be completed (and is the seed's, with --seed),\n"
         "5 the file cannot be read or is not an item list, 6 the run cannot be completed,\n"
         "7 the run can be completed but is not the one --seed and the options give;\n"
         "with --race: 8 the system's secure random source gave no seed (nothing written);\n"
         "with --plando: 2 a line of the file is refused, 5 the file cannot be read,\n"
         "6 no run can keep the file's lines (nothing written).\n";
}
