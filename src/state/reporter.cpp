#include "state/reporter.h"

#include <iostream>

Reporter::Reporter() : console(&std::cout), errors(&std::cerr) {}

Reporter::Reporter(std::ostream& consoleStream, std::ostream& errorStream)
    : console(&consoleStream), errors(&errorStream) {}

void printLine(Reporter& reporter, const std::string& line) { *reporter.console << line << '\n' << std::flush; }

void reportError(Reporter& reporter, const std::string& message) { *reporter.errors << message << '\n' << std::flush; }

void overprintLine(Reporter& reporter, const std::string& text) { *reporter.console << '\r' << text << std::flush; }
