// Checks the Windows createNewFile where the C library's fopen ignores "x":
// run in an empty folder, it must refuse a name that exists, leave that file
// whole, and still create a new one, which Ctrl+C can remove while it is
// open. Exit status 0 when all holds.
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "platform/platform.h"

namespace {

std::string contents(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int failure(const std::string& what) {
  std::cerr << "createNewFile: " << what << '\n';
  return 1;
}

}  // namespace

int main() {
  std::ofstream("taken.tmp", std::ios::binary) << "earlier\r\n";
  errno = 0;
  if (std::FILE* file = createNewFile("taken.tmp")) {
    std::fclose(file);
    return failure("opened a file that already exists");
  }
  if (errno != EEXIST) return failure("an existing file gave errno " + std::to_string(errno) + ", not EEXIST");
  if (contents("taken.tmp") != "earlier\r\n") return failure("the existing file was changed");

  std::FILE* file = createNewFile("fresh.tmp");
  if (!file) return failure("could not create a new file");
  const bool written = std::fputs("new\n", file) >= 0;
  if (std::fclose(file) != 0 || !written) return failure("could not write the new file");
  if (contents("fresh.tmp") != "new\n") return failure("the new file is not in binary mode: " + contents("fresh.tmp"));

  // The console's Ctrl+C handler removes the temporary file while the writer
  // still holds it open.
  std::FILE* held = createNewFile("interrupted.tmp");
  if (!held) return failure("could not create interrupted.tmp");
  std::fputs("half a list", held);
  std::fflush(held);
  const bool removed = std::remove("interrupted.tmp") == 0;
  std::fclose(held);
  if (!removed) return failure("an open temporary file could not be removed, as Ctrl+C must");
  if (std::ifstream("interrupted.tmp")) return failure("the removed temporary file is still there once closed");
  std::cout << "createNewFile refuses an existing file (EEXIST, left whole), creates new ones in binary mode, "
               "and an open one can be removed\n";
  return 0;
}
