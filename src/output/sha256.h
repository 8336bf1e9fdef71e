#pragma once

#include <array>
#include <cstdint>
#include <string>

// A SHA-256 digest (FIPS 180-4), first byte first.
using Sha256Digest = std::array<uint8_t, 32>;

// The SHA-256 digest of `bytes`; the same on every platform and in the browser.
Sha256Digest sha256(const std::string& bytes);

// The digest as 64 lower-case hexadecimal digits.
std::string sha256Hex(const std::string& bytes);
