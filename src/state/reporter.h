#pragma once

#include <iosfwd>
#include <string>

// Where a run's steps print: console lines, the progress line and failures.
// The program reports to standard output and standard error; the page and the
// tests put streams of their own behind it.
struct Reporter {
  std::ostream* console;
  std::ostream* errors;
  // Whether a progress line may overprint itself on the console.
  bool smartTerminal = false;

  // Reports to standard output and standard error.
  Reporter();
  // Reports to the two streams given.
  Reporter(std::ostream& consoleStream, std::ostream& errorStream);
};

// Writes one console line of the run and flushes it, so a user watching a
// long generation sees every line as soon as it is printed.
void printLine(Reporter& reporter, const std::string& line);

// Writes one failure line, `message` as given, and flushes it.
void reportError(Reporter& reporter, const std::string& message);

// Rewrites the line under the cursor with `text` (a carriage return first,
// no line end), for a progress line that overprints itself.
void overprintLine(Reporter& reporter, const std::string& text);
