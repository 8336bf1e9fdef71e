#include "state/generation_state.h"

#include <cstddef>
#include <cstdio>

bool* modifierSwitch(RunOptions& options, int number) {
  switch (number) {
    case 1: return &options.healingToJunk;
    case 2: return &options.ammoToJunk;
    case 3: return &options.inkRibbonsToJunk;
    case 4: return &options.defenceToJunk;
    case 5: return &options.allToSelfDefenseGun;
    case 6: return &options.armedFuelCapsule;
    default: return nullptr;
  }
}

bool modifierOn(const RunOptions& options, int number) {
  // Only read through: the switch is found the same way for both.
  const bool* on = modifierSwitch(const_cast<RunOptions&>(options), number);
  return on != nullptr && *on;
}

int modifierMask(const RunOptions& options) {
  int mask = 0;
  for (int number = 1; number <= kModifierCount; ++number) {
    if (modifierOn(options, number)) mask |= 1 << (number - 1);
  }
  return mask;
}

void setModifierMask(RunOptions& options, int mask) {
  for (int number = 1; number <= kModifierCount; ++number) {
    *modifierSwitch(options, number) = ((mask >> (number - 1)) & 1) != 0;
  }
}

const char* characterName(const RunOptions& options) {
  return options.character ? "Chris" : "Jill";
}

const char* difficultyName(const RunOptions& options) {
  return options.hardDifficulty ? "Hard" : "Normal";
}

std::size_t utf8SequenceLength(const std::string& text, std::size_t at) {
  const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned lead = byte(at);
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xbf;  // range of the second byte
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;  // no UTF-16 surrogates
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(at + k) < 0x80 || byte(at + k) > 0xbf) return 0;
  }
  return length;
}

std::string printable(const std::string& text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x20 && byte < 0x7f) {
      out += text[at++];
      continue;
    }
    // U+0080..U+009F (0xc2 0x80..0x9f) are control characters too.
    const bool c1Control = byte == 0xc2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) < 0xa0;
    if (const std::size_t length = byte >= 0x80 && !c1Control ? utf8SequenceLength(text, at) : 0) {
      out.append(text, at, length);
      at += length;
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
    ++at;
  }
  return out;
}
