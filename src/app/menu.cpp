#include "app/menu.h"

#include <istream>
#include <ostream>
#include <sstream>

#include "engine/run.h"

namespace {

const char* onOff(bool value) { return value ? "ON" : "OFF"; }

void printMainPage(const RunOptions& options, std::ostream& out) {
  out << "PICK A NUMBER:" << std::endl;
  out << "1) Chris - Normal Difficulty" << std::endl;
  out << "2) Jill - Normal Difficulty" << std::endl;
  out << "3) Chris - Hard Difficulty" << std::endl;
  out << "4) Jill - Hard Difficulty" << std::endl;
  out << "5) Add Modifiers" << std::endl;
  out << "6) Enemy Randomizer: " << onOff(options.enemyRandomizer) << std::endl;
}

void printModifierPage(const RunOptions& options, std::ostream& out) {
  out << "CHOOSE A MODIFIER" << std::endl;
  out << "1) Swap healing items with Junk - " << onOff(options.healingToJunk) << std::endl;
  out << "2) Swap ammo items with Junk - " << onOff(options.ammoToJunk) << std::endl;
  out << "3) Swap ink ribbons with Junk - " << onOff(options.inkRibbonsToJunk) << std::endl;
  out << "4) Swap Defence Items with Junk - " << onOff(options.defenceToJunk) << std::endl;
  out << "5) Swap all non-key items with Self-defense Gun (BUGGY) - "
      << onOff(options.allToSelfDefenseGun) << std::endl;
  out << "6) ARMED fuel supply capsule on pickup - " << onOff(options.armedFuelCapsule) << std::endl;
  out << "7) Back to Main Menu" << std::endl;
}

}  // namespace

MenuChoice readMenuChoice(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return {MenuChoice::kEndOfInput, 0};
  // A Windows console, or a file saved on Windows, ends each line with CR LF;
  // such a line must read exactly as the same line ending in LF.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::istringstream stream(line);
  int value = 0;
  if (!(stream >> value)) return {MenuChoice::kNoNumber, 0};
  return {MenuChoice::kNumber, value};
}

bool runMenu(GenerationState& state, std::istream& in, std::ostream& out,
             const std::function<void()>& clearScreen) {
  RunOptions& options = state.options;
  std::string line;
  for (;;) {
    if (options.modifierMenuShown) {
      printModifierPage(options, out);
    } else {
      printMainPage(options, out);
    }
    const MenuChoice choice = readMenuChoice(in, line);
    if (choice.kind == MenuChoice::kEndOfInput) return false;
    const int n = choice.value;
    const bool valid = choice.kind == MenuChoice::kNumber;

    if (!options.modifierMenuShown && valid && n >= 1 && n <= 4) {
      options.character = n == 1 || n == 3;
      options.hardDifficulty = n >= 3;
      out << generatingLine(options) << std::endl;
      return true;
    }
    if (!options.modifierMenuShown && valid && n == 5) {
      options.modifierMenuShown = true;
    } else if (!options.modifierMenuShown && valid && n == 6) {
      options.enemyRandomizer = !options.enemyRandomizer;
    } else if (options.modifierMenuShown && valid && n == 7) {
      options.modifierMenuShown = false;
    } else if (bool* toggled = options.modifierMenuShown && valid ? modifierSwitch(options, n) : nullptr) {
      *toggled = !*toggled;
    } else {
      out << "Invalid number, please try again" << std::endl;
      continue;
    }
    clearScreen();
  }
}
