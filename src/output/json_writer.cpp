#include "output/json_writer.h"

#include <cstddef>

#include "state/generation_state.h"

std::string jsonString(const std::string& text) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (std::size_t k = 0; k < text.size();) {
    const auto byte = static_cast<unsigned char>(text[k]);
    if (byte >= 0x80) {
      const std::size_t length = utf8SequenceLength(text, k);
      quoted += length ? text.substr(k, length) : "\\ufffd";
      k += length ? length : 1;
      continue;
    }
    ++k;
    switch (byte) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\b': quoted += "\\b"; break;
      case '\f': quoted += "\\f"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (byte < 0x20) {
          quoted += "\\u00";
          quoted += kDigits[byte >> 4];
          quoted += kDigits[byte & 15];
        } else {
          quoted += static_cast<char>(byte);
        }
    }
  }
  return quoted + "\"";
}
