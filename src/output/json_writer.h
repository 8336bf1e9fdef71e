#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `text` as a JSON string (RFC 8259): quoted, with the quote, the backslash
// and control characters escaped; UTF-8 passes as it is and each byte of an
// invalid sequence becomes U+FFFD, so the result is always valid JSON.
std::string jsonString(const std::string& text);

// Writes JSON in the layout of JSON.stringify(value, null, 2): one member or
// element per line, two more spaces per level, "[]" for an empty array.
struct JsonWriter {
  std::string text;
  // Per open object or array: whether it has a member or element yet.
  std::vector<bool> filled;

  // Ends the line and indents the next one to the current depth.
  void newLine() { text += "\n" + std::string(2 * filled.size(), ' '); }
  // Starts the next member or element of the innermost object or array.
  void next() {
    if (filled.empty()) return;
    if (filled.back()) text += ',';
    filled.back() = true;
    newLine();
  }
  // Starts a member of the innermost object: its name, the value to follow.
  void key(const char* name) {
    next();
    text += jsonString(name) + ": ";
  }
  // Opens an object ('{') or an array ('[').
  void open(char bracket) {
    text += bracket;
    filled.push_back(false);
  }
  // Closes the innermost object or array with `bracket`.
  void close(char bracket) {
    const bool hadItems = filled.back();
    filled.pop_back();
    if (hadItems) newLine();
    text += bracket;
  }
  // Appends raw JSON as it is.
  void value(const std::string& raw) { text += raw; }
  // A member whose value is raw JSON.
  void member(const char* name, const std::string& raw) {
    key(name);
    value(raw);
  }
  // A member whose value is a number.
  void member(const char* name, int64_t number) { member(name, std::to_string(number)); }
  // A member whose value is true or false.
  void flag(const char* name, bool on) { member(name, std::string(on ? "true" : "false")); }
  // A member whose value is the string `content`.
  void string(const char* name, const std::string& content) { member(name, jsonString(content)); }
  // The next element of the innermost array, as raw JSON.
  void element(const std::string& raw) {
    next();
    value(raw);
  }
};
