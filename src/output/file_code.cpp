#include "output/file_code.h"

#include <cstddef>

#include "output/sha256.h"

namespace {

// Short, common, lower-case English words, each easy to read aloud and to
// tell apart from the others. The order is part of every file code ever
// shown: never reorder, add or replace a word.
constexpr const char* kWords[kFileCodeWordCount] = {
    "acorn", "anchor", "apple", "arrow", "aspen", "badge", "badger", "bagel",
    "bamboo", "banjo", "barn", "basil", "beacon", "bear", "beaver", "beetle",
    "bell", "birch", "bison", "blade", "bloom", "boat", "bolt", "bone",
    "boot", "brass", "bread", "brick", "bridge", "brook", "brush", "bucket",
    "cabin", "cactus", "camel", "candle", "canoe", "canyon", "carrot", "castle",
    "cedar", "chalk", "cherry", "chess", "cider", "circle", "cliff", "clock",
    "cloud", "clover", "cobalt", "cobra", "comet", "compass", "copper", "coral",
    "cotton", "crane", "crater", "cricket", "crown", "daisy", "delta", "desert",
    "diamond", "dingo", "dolphin", "donkey", "dove", "dragon", "drum", "eagle",
    "earth", "ember", "falcon", "feather", "fern", "ferry", "fiddle", "finch",
    "flame", "flute", "forest", "fossil", "fox", "frost", "galaxy", "garden",
    "garlic", "gecko", "ginger", "glacier", "globe", "glove", "goat", "granite",
    "grape", "gravel", "gull", "hammer", "harbor", "harp", "harvest", "hazel",
    "hedge", "heron", "hill", "honey", "horse", "igloo", "iris", "island",
    "ivory", "jacket", "jade", "jaguar", "jasmine", "jelly", "jigsaw", "jungle",
    "kayak", "kettle", "kite", "koala", "ladder", "lagoon", "lake", "lantern",
    "lemon", "lily", "lime", "lion", "lizard", "llama", "lobster", "lotus",
    "magnet", "mango", "maple", "marble", "marlin", "meadow", "melon", "meteor",
    "mint", "mirror", "moon", "moose", "moss", "mountain", "mule", "needle",
    "nest", "nickel", "nutmeg", "oak", "oasis", "ocean", "olive", "onion",
    "orange", "orbit", "orchid", "otter", "owl", "oyster", "paddle", "palm",
    "panda", "panther", "parrot", "peach", "pearl", "pebble", "pepper", "piano",
    "pine", "planet", "plum", "pony", "poppy", "prairie", "puma", "pumpkin",
    "quartz", "quill", "rabbit", "radish", "raven", "reef", "river", "robin",
    "rocket", "rose", "ruby", "saddle", "salmon", "sand", "satchel", "scarf",
    "seal", "shell", "silver", "sparrow", "spruce", "squid", "star", "stone",
    "storm", "straw", "summit", "sunset", "swan", "tablet", "teapot", "thimble",
    "thistle", "thunder", "tiger", "timber", "toast", "tomato", "topaz", "torch",
    "tower", "tractor", "trout", "trumpet", "tulip", "tundra", "tunnel", "turnip",
    "turtle", "umbrella", "valley", "vanilla", "velvet", "violet", "viper", "volcano",
    "waffle", "wagon", "walnut", "walrus", "whale", "wheat", "whistle", "willow",
    "window", "winter", "wolf", "wren", "yak", "yarn", "zebra", "zinc",
};

// Words of 3 to 8 lower-case letters in strictly alphabetical order, hence
// all different, so that no two codes read alike.
constexpr bool before(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a < *b;
}
constexpr bool wordsPlainAndInOrder() {
  for (int k = 0; k < kFileCodeWordCount; ++k) {
    int length = 0;
    for (const char* c = kWords[k]; *c; ++c, ++length) {
      if (*c < 'a' || *c > 'z') return false;
    }
    if (length < 3 || length > 8 || (k > 0 && !before(kWords[k - 1], kWords[k]))) return false;
  }
  return true;
}
static_assert(wordsPlainAndInOrder(), "file code words must be 3 to 8 lower-case letters, in alphabetical order");

// The bytes with every line ending in CR LF.
std::string withCrLfLineEnds(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 4 + 2);
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    if (bytes[k] == '\n' && (k == 0 || bytes[k - 1] != '\r')) text += '\r';
    text += bytes[k];
  }
  if (!text.empty() && text.back() != '\n') text += "\r\n";
  return text;
}

}  // namespace

const char* fileCodeWord(int index) { return kWords[index & 0xff]; }

std::string fileCode(const std::string& itemListBytes) {
  const Sha256Digest digest = sha256(withCrLfLineEnds(itemListBytes));
  std::string code;
  for (std::size_t k = 0; k < kFileCodeLength; ++k) {
    if (k) code += ' ';
    code += kWords[digest[k]];
  }
  return code;
}

std::string fileCodeLine(const std::string& itemListBytes) { return "File code: " + fileCode(itemListBytes); }
