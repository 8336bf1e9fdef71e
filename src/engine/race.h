#pragma once

#include <cstdint>

#include "state/reporter.h"

// The seed of a race, from the system's secure random source, so that nobody
// can guess it from the time of the run. Returns false after reporting on
// reporter.errors a source that failed.
bool raceSeed(Reporter& reporter, uint32_t& seed);
