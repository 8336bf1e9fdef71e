#include "menu_input_check.h"

#include <algorithm>
#include <exception>
#include <istream>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <streambuf>
#include <string_view>
#include <vector>

#include "app/menu.h"

namespace {

// A page is under 400 bytes and a line read adds at most one message, so a
// menu that writes more than this per line read is going round without reading.
constexpr size_t kOutputBytesPerLine = 600;

const char kInvalidLine[] = "Invalid number, please try again";

// Thrown through the menu to stop one that has stopped reading.
struct Runaway {
  std::string what;
};

// ---------------------------------------------------------------------------
// The model.

// C-locale blanks, spelled out: std::isspace and strchr both take '\0' for
// something it is not here.
bool isBlank(char c) {
  switch (c) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r': return true;
    default: return false;
  }
}

// The lines std::getline gives: the text before each '\n', and a last piece
// without one unless that piece is empty.
std::vector<std::string_view> splitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string_view::npos; start = end + 1) {
    lines.push_back(bytes.substr(start, end - start));
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

// A leading decimal int32 after blanks, with one optional sign; whatever
// follows the digits does not matter.
std::optional<int32_t> parseChoice(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  const size_t firstDigit = i;
  int64_t magnitude = 0;
  constexpr int64_t kBeyondAnyInt32 = int64_t{1} << 32;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    // Saturating keeps hundreds of digits from overflowing; past 2^32 the
    // exact value no longer matters.
    magnitude = std::min(magnitude * 10 + (line[i] - '0'), kBeyondAnyInt32);
  }
  if (i == firstDigit) return std::nullopt;
  const int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

struct ModelRun {
  RunOptions options;
  bool chosen = false;
  size_t linesRead = 0;
  size_t clears = 0;
  size_t invalidLines = 0;
  size_t mainPages = 0;
  size_t modifierPages = 0;
};

ModelRun runModel(std::string_view bytes) {
  static constexpr bool RunOptions::*kModifiers[] = {
      &RunOptions::healingToJunk,  &RunOptions::ammoToJunk,          &RunOptions::inkRibbonsToJunk,
      &RunOptions::defenceToJunk, &RunOptions::allToSelfDefenseGun, &RunOptions::armedFuelCapsule};
  ModelRun m;
  RunOptions& o = m.options;
  for (std::string_view line : splitLines(bytes)) {
    ++(o.modifierMenuShown ? m.modifierPages : m.mainPages);
    ++m.linesRead;
    const std::optional<int32_t> n = parseChoice(line);
    if (!n) {
      ++m.invalidLines;
    } else if (!o.modifierMenuShown && *n >= 1 && *n <= 4) {
      o.character = *n % 2 == 1;
      o.hardDifficulty = *n >= 3;
      m.chosen = true;
      return m;
    } else if (!o.modifierMenuShown && (*n == 5 || *n == 6)) {
      bool& flag = *n == 5 ? o.modifierMenuShown : o.enemyRandomizer;
      flag = !flag;
      ++m.clears;
    } else if (o.modifierMenuShown && *n >= 1 && *n <= 7) {
      bool& flag = *n == 7 ? o.modifierMenuShown : o.*kModifiers[*n - 1];
      flag = !flag;
      ++m.clears;
    } else {
      ++m.invalidLines;
    }
  }
  // The page the input ran out on.
  ++(o.modifierMenuShown ? m.modifierPages : m.mainPages);
  return m;
}

std::string expectedGeneratingLine(const RunOptions& o) {
  return std::string("Generating ItemList for ") + (o.character ? "Chris" : "Jill") + " on " +
         (o.hardDifficulty ? "Hard" : "Normal") + " Difficulty...";
}

// Every line a page may show, with each switch ON or OFF.
const std::set<std::string>& pageLines() {
  static const std::set<std::string> lines = [] {
    std::set<std::string> all = {"PICK A NUMBER:",
                                 "1) Chris - Normal Difficulty",
                                 "2) Jill - Normal Difficulty",
                                 "3) Chris - Hard Difficulty",
                                 "4) Jill - Hard Difficulty",
                                 "5) Add Modifiers",
                                 "CHOOSE A MODIFIER",
                                 "7) Back to Main Menu"};
    for (const char* state : {"ON", "OFF"}) {
      all.insert(std::string("6) Enemy Randomizer: ") + state);
      for (const char* modifier : {"1) Swap healing items with Junk - ", "2) Swap ammo items with Junk - ",
                                   "3) Swap ink ribbons with Junk - ", "4) Swap Defence Items with Junk - ",
                                   "5) Swap all non-key items with Self-defense Gun (BUGGY) - ",
                                   "6) ARMED fuel supply capsule on pickup - "}) {
        all.insert(modifier + std::string(state));
      }
    }
    return all;
  }();
  return lines;
}

// ---------------------------------------------------------------------------
// Watching the menu under test.

// How many input lines the menu has taken so far, from how far into the
// bytes the stream has been read.
class LinesTaken {
 public:
  LinesTaken(std::string_view bytes, std::istream& in) : bytes_(bytes), in_(in) {}

  size_t count() {
    const std::streampos position = in_.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    const size_t consumed =
        position == std::streampos(-1) ? bytes_.size() : std::min(bytes_.size(), static_cast<size_t>(position));
    for (; scanned_ < consumed; ++scanned_) newlines_ += bytes_[scanned_] == '\n';
    const bool unendedLastLine = consumed == bytes_.size() && !bytes_.empty() && bytes_.back() != '\n';
    return newlines_ + (unendedLastLine ? 1 : 0);
  }

 private:
  std::string_view bytes_;
  std::istream& in_;
  size_t scanned_ = 0;
  size_t newlines_ = 0;
};

// Keeps what the menu prints and stops a menu that prints far more than the
// lines it has read can explain.
class BoundedOutput : public std::streambuf {
 public:
  explicit BoundedOutput(LinesTaken& lines) : lines_(lines) {}
  const std::string& text() const { return text_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    xsputn(&ch, 1);
    return c;
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    text_.append(s, static_cast<size_t>(n));
    const size_t lines = lines_.count();
    if (text_.size() > kOutputBytesPerLine * (lines + 2)) {
      throw Runaway{"menu printed " + std::to_string(text_.size()) + " bytes after reading only " +
                    std::to_string(lines) + " lines"};
    }
    return n;
  }

 private:
  LinesTaken& lines_;
  std::string text_;
};

struct Differences {
  std::ostringstream text;

  Differences() { text << std::boolalpha; }

  template <typename A, typename B>
  void expectEqual(const char* what, const A& actual, const B& expected) {
    if (actual == expected) return;
    text << (text.tellp() > 0 ? "; " : "") << what << " is " << actual << ", the model says " << expected;
  }
  void note(const std::string& what) { text << (text.tellp() > 0 ? "; " : "") << what; }
};

void compareOutput(const std::string& output, const ModelRun& model, Differences& d) {
  if (!output.empty() && output.back() != '\n') d.note("output ends inside a line");
  size_t invalid = 0, mainPages = 0, modifierPages = 0, generating = 0;
  std::string lastLine;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line); lastLine = line) {
    if (line == kInvalidLine) {
      ++invalid;
    } else if (line.rfind("Generating ItemList for ", 0) == 0) {
      ++generating;
    } else if (pageLines().count(line) == 0) {
      d.note("unknown output line \"" + line.substr(0, 80) + "\"");
      return;
    }
    mainPages += line == "PICK A NUMBER:";
    modifierPages += line == "CHOOSE A MODIFIER";
  }
  d.expectEqual("invalid-number lines", invalid, model.invalidLines);
  d.expectEqual("main pages shown", mainPages, model.mainPages);
  d.expectEqual("modifier pages shown", modifierPages, model.modifierPages);
  d.expectEqual("generating lines", generating, model.chosen ? 1u : 0u);
  if (model.chosen) d.expectEqual("last output line", lastLine, expectedGeneratingLine(model.options));
}

}  // namespace

std::string checkMenuInputWith(const uint8_t* data, size_t size, MenuFunction menu) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream in{std::string(bytes)};
  LinesTaken linesTaken(bytes, in);
  BoundedOutput outputBuffer(linesTaken);
  std::ostream out(&outputBuffer);
  // The stream would otherwise swallow Runaway and only set badbit.
  out.exceptions(std::ios::badbit);
  size_t clears = 0;
  const std::function<void()> clearScreen = [&] {
    if (++clears > linesTaken.count()) {
      throw Runaway{"menu cleared the screen " + std::to_string(clears) + " times after reading only " +
                    std::to_string(linesTaken.count()) + " lines"};
    }
  };

  GenerationState state;
  bool chosen = false;
  try {
    chosen = menu(state, in, out, clearScreen);
  } catch (const Runaway& runaway) {
    return runaway.what;
  } catch (const std::exception& e) {
    return std::string("menu threw: ") + e.what();
  }

  const ModelRun model = runModel(bytes);
  Differences d;
  d.expectEqual("return value", chosen, model.chosen);
  d.expectEqual("lines read", linesTaken.count(), model.linesRead);
  d.expectEqual("clearScreen calls", clears, model.clears);
  const RunOptions& got = state.options;
  const RunOptions& want = model.options;
  struct Switch {
    const char* name;
    bool RunOptions::*member;
  };
  for (const Switch& s : {Switch{"character", &RunOptions::character},
                          Switch{"hardDifficulty", &RunOptions::hardDifficulty},
                          Switch{"enemyRandomizer", &RunOptions::enemyRandomizer},
                          Switch{"modifierMenuShown", &RunOptions::modifierMenuShown},
                          Switch{"healingToJunk", &RunOptions::healingToJunk},
                          Switch{"ammoToJunk", &RunOptions::ammoToJunk},
                          Switch{"inkRibbonsToJunk", &RunOptions::inkRibbonsToJunk},
                          Switch{"defenceToJunk", &RunOptions::defenceToJunk},
                          Switch{"allToSelfDefenseGun", &RunOptions::allToSelfDefenseGun},
                          Switch{"armedFuelCapsule", &RunOptions::armedFuelCapsule}}) {
    d.expectEqual(s.name, got.*s.member, want.*s.member);
  }
  compareOutput(outputBuffer.text(), model, d);
  return d.text.str();
}

std::string checkMenuInput(const uint8_t* data, size_t size) { return checkMenuInputWith(data, size, runMenu); }
