#pragma once

// The list of temporary files that an interrupt removes, shared by both
// platforms' interrupt handlers. Only the writer changes it; a handler reads
// it through markedFilePaths alone. A signal handler may run in the middle of
// a change, which the list is built to survive; the Windows console handler
// runs on a thread of its own and takes the same lock as the writer.

#include <string>

// Adds `path` to the list; false, leaving the list as it was, when it already
// holds kMaxMarkedFiles paths.
bool addMarkedFile(const std::string& path);

// Empties the list.
void clearMarkedFiles();

// The listed paths, ending with a null pointer, or null when there are none.
// Safe to call from a signal handler: one lock-free atomic load.
const char* const* markedFilePaths();
