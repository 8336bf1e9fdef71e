#pragma once

#include <string>

// Number of words in the list file codes are made of; each word stands for
// one byte of the digest.
constexpr int kFileCodeWordCount = 256;
// Words in one file code: 40 bits of the digest.
constexpr int kFileCodeLength = 5;

// Word `index` (0..255) of the fixed list file codes are made of.
const char* fileCodeWord(int index);

// The file code of an item list: the words of the first five bytes of the
// SHA-256 of its bytes as the program writes them, e.g. "lantern otter maple
// quartz river". LF line ends count as the CR LF they stand for and a missing
// last line end as present, so a copy whose line ends a transfer changed
// still shows the code of the file as written.
std::string fileCode(const std::string& itemListBytes);

// The console line of a run's file code: "File code: " and fileCode.
std::string fileCodeLine(const std::string& itemListBytes);
