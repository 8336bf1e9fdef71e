#include "platform/marked_files.h"

#include <atomic>
#include <cstddef>
#include <vector>

#include "platform/platform.h"

namespace {

// Each new list is built in the buffer that was not published last and is
// then published in one atomic store, so a handler never sees half a list.
std::vector<std::string> markedFiles;
std::string markedNames[2][kMaxMarkedFiles];
const char* markedLists[2][kMaxMarkedFiles + 1];
int nextMarkedList = 0;
std::atomic<const char* const*> markedPaths{nullptr};
static_assert(std::atomic<const char* const*>::is_always_lock_free,
              "an interrupt handler may only read lock-free atomics");

void publishMarkedFiles() {
  if (markedFiles.empty()) {
    markedPaths.store(nullptr);
    return;
  }
  const int list = nextMarkedList;
  std::size_t k = 0;
  for (; k < markedFiles.size(); ++k) {
    markedNames[list][k] = markedFiles[k];
    markedLists[list][k] = markedNames[list][k].c_str();
  }
  markedLists[list][k] = nullptr;
  markedPaths.store(markedLists[list]);
  nextMarkedList ^= 1;
}

}  // namespace

bool addMarkedFile(const std::string& path) {
  if (markedFiles.size() >= static_cast<std::size_t>(kMaxMarkedFiles)) return false;
  markedFiles.push_back(path);
  publishMarkedFiles();
  return true;
}

void clearMarkedFiles() {
  markedFiles.clear();
  markedPaths.store(nullptr);
}

const char* const* markedFilePaths() { return markedPaths.load(); }
