#include "engine/race.h"

#include <ostream>
#include <string>

#include "output/text_file.h"
#include "platform/platform.h"

bool raceSeed(Reporter& reporter, uint32_t& seed) {
  unsigned char bytes[4];
  std::string reason;
  if (!secureRandomBytes(bytes, sizeof bytes, reason)) {
    reportError(reporter, std::string(kMessagePrefix) +
                              "cannot draw a race seed from the system's secure random source: " + reason);
    return false;
  }
  seed = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
  return true;
}
