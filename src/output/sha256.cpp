#include "output/sha256.h"

#include <cstddef>

namespace {

constexpr uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr uint32_t rotateRight(uint32_t value, int bits) { return (value >> bits) | (value << (32 - bits)); }

void compressBlock(uint32_t (&hash)[8], const uint8_t* block) {
  uint32_t schedule[64];
  for (int t = 0; t < 16; ++t) {
    schedule[t] = uint32_t{block[4 * t]} << 24 | uint32_t{block[4 * t + 1]} << 16 | uint32_t{block[4 * t + 2]} << 8 |
                  uint32_t{block[4 * t + 3]};
  }
  for (int t = 16; t < 64; ++t) {
    const uint32_t s0 = rotateRight(schedule[t - 15], 7) ^ rotateRight(schedule[t - 15], 18) ^ (schedule[t - 15] >> 3);
    const uint32_t s1 = rotateRight(schedule[t - 2], 17) ^ rotateRight(schedule[t - 2], 19) ^ (schedule[t - 2] >> 10);
    schedule[t] = schedule[t - 16] + s0 + schedule[t - 7] + s1;
  }
  uint32_t a = hash[0], b = hash[1], c = hash[2], d = hash[3], e = hash[4], f = hash[5], g = hash[6], h = hash[7];
  for (int t = 0; t < 64; ++t) {
    const uint32_t sum1 = rotateRight(e, 6) ^ rotateRight(e, 11) ^ rotateRight(e, 25);
    const uint32_t choice = (e & f) ^ (~e & g);
    const uint32_t first = h + sum1 + choice + kRoundConstants[t] + schedule[t];
    const uint32_t sum0 = rotateRight(a, 2) ^ rotateRight(a, 13) ^ rotateRight(a, 22);
    const uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    h = g;
    g = f;
    f = e;
    e = d + first;
    d = c;
    c = b;
    b = a;
    a = first + sum0 + majority;
  }
  hash[0] += a;
  hash[1] += b;
  hash[2] += c;
  hash[3] += d;
  hash[4] += e;
  hash[5] += f;
  hash[6] += g;
  hash[7] += h;
}

}  // namespace

Sha256Digest sha256(const std::string& bytes) {
  uint32_t hash[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const std::size_t whole = bytes.size() / 64 * 64;
  for (std::size_t offset = 0; offset < whole; offset += 64) compressBlock(hash, data + offset);

  // The tail, the 0x80 marker and the message length in bits fill one or two
  // last blocks.
  uint8_t tail[128] = {};
  const std::size_t rest = bytes.size() - whole;
  for (std::size_t k = 0; k < rest; ++k) tail[k] = data[whole + k];
  tail[rest] = 0x80;
  const std::size_t tailSize = rest < 56 ? 64 : 128;
  const uint64_t bits = static_cast<uint64_t>(bytes.size()) * 8;
  for (int k = 0; k < 8; ++k) tail[tailSize - 1 - k] = static_cast<uint8_t>(bits >> (8 * k));
  for (std::size_t offset = 0; offset < tailSize; offset += 64) compressBlock(hash, tail + offset);

  Sha256Digest digest{};
  for (int word = 0; word < 8; ++word) {
    for (int k = 0; k < 4; ++k) digest[static_cast<std::size_t>(4 * word + k)] = static_cast<uint8_t>(hash[word] >> (24 - 8 * k));
  }
  return digest;
}

std::string sha256Hex(const std::string& bytes) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t byte : sha256(bytes)) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}
