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

}  // namespace

bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine& result, std::string& error) {
  bool hasCharacter = false, hasDifficulty = false, replacesMenu = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::string value;
    bool hasValue = false;
    const size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    const bool takesValue = name == "--seed" || name == "--character" || name == "--difficulty" ||
                            name == "--modifier" || name == "--output-dir" || name == "--check" ||
                            name == "--threads" || name == "--plando";
    const bool isSwitch = name == "--help" || name == "-h" || name == "--version" || name == "--enemies" ||
                          name == "--key-route" || name == "--spoiler-json" || name == "--race";
    if (!takesValue && !isSwitch) {
      error = "unknown option '" + printable(arguments[i]) + "'";
      return false;
    }
    if (takesValue && !hasValue) {
      if (i + 1 == arguments.size()) {
        error = "option " + name + " needs a value";
        return false;
      }
      value = arguments[++i];
      hasValue = true;
    } else if (!takesValue && hasValue) {
      error = "option " + name + " takes no value";
      return false;
    }

    if (name == "--help" || name == "-h") {
      result.help = true;
    } else if (name == "--version") {
      result.version = true;
    } else if (name == "--seed") {
      if (!parseSeed(value, result.seed)) {
        error = "invalid seed '" + printable(value) + "': expected a whole number from 0 to 4294967295";
        return false;
      }
      result.hasSeed = true;
    } else if (name == "--character") {
      const std::string character = lowerCase(value);
      if (character != "chris" && character != "jill") {
        error = "invalid character '" + printable(value) + "': expected chris or jill";
        return false;
      }
      result.options.character = character == "chris";
      hasCharacter = replacesMenu = true;
    } else if (name == "--difficulty") {
      const std::string difficulty = lowerCase(value);
      if (difficulty != "normal" && difficulty != "hard") {
        error = "invalid difficulty '" + printable(value) + "': expected normal or hard";
        return false;
      }
      result.options.hardDifficulty = difficulty == "hard";
      hasDifficulty = replacesMenu = true;
    } else if (name == "--enemies") {
      result.options.enemyRandomizer = true;
      replacesMenu = true;
    } else if (name == "--modifier") {
      // A comma list or one number; repeating the option adds to the set.
      size_t start = 0;
      for (;;) {
        const size_t comma = value.find(',', start);
        const std::string number = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        bool* modifier = modifierSwitch(result.options, number);
        if (!modifier) {
          error = "invalid modifier '" + printable(number) + "': expected a number from 1 to 6";
          return false;
        }
        *modifier = true;
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      replacesMenu = true;
    } else if (name == "--key-route") {
      result.keyRoute = true;
    } else if (name == "--spoiler-json") {
      result.spoilerJson = true;
    } else if (name == "--race") {
      result.race = replacesMenu = true;
    } else if (name == "--check") {
      if (value.empty()) {
        error = "option --check needs a file";
        return false;
      }
      result.checkFile = value;
    } else if (name == "--plando") {
      if (value.empty()) {
        error = "option --plando needs a file";
        return false;
      }
      result.plandoFile = value;
    } else if (name == "--threads") {
      uint32_t threads = 0;
      if (!parseSeed(value, threads) || threads < 1 || threads > kMaxThreads) {
        error = "invalid thread count '" + printable(value) + "': expected a whole number from 1 to " +
                std::to_string(kMaxThreads);
        return false;
      }
      result.threads = static_cast<int>(threads);
    } else {  // --output-dir
      if (value.empty()) {
        error = "option --output-dir needs a folder";
        return false;
      }
      result.outputDirectory = value;
    }
  }
  if (result.help || result.version) return true;
  if (result.race) {
    // Each of these would reveal the run, or makes no run at all.
    const char* refused = nullptr;
    if (result.hasSeed) {
      refused = "--seed: a race's seed is secret, so nobody can make its cheat sheet";
    } else if (result.keyRoute) {
      refused = "--key-route: a race writes the item list alone";
    } else if (result.spoilerJson) {
      refused = "--spoiler-json: a race writes the item list alone";
    } else if (!result.checkFile.empty()) {
      refused = "--check: a race makes a run, --check checks one";
    }
    if (refused) {
      error = std::string("--race cannot be given with ") + refused;
      return false;
    }
  }
  if (result.spoilerJson && !result.checkFile.empty()) {
    error = "--spoiler-json cannot be given with --check: a check writes no spoiler file";
    return false;
  }
  result.characterGiven = hasCharacter;
  result.difficultyGiven = hasDifficulty;
  // A check takes its setting from the file name; the options only fill in.
  if (!result.checkFile.empty()) return true;
  if (replacesMenu && !(hasCharacter && hasDifficulty)) {
    error = !hasCharacter && !hasDifficulty ? "missing --character and --difficulty"
            : !hasCharacter                 ? "missing --character"
                                            : "missing --difficulty";
    error += ": both are needed to run without the menu";
    return false;
  }
  result.skipMenu = replacesMenu;
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
         "                          with --seed, --key-route or --spoiler-json)\n"
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
         "  mansion-randomizer --character chris --difficulty hard --output-dir runs/race1\n"
         "  mansion-randomizer --check ItemListChrisHard.txt --seed 12345 --key-route\n"
         "  mansion-randomizer --race --character chris --difficulty hard --enemies\n"
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
