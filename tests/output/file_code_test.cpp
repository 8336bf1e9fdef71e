// The file code players compare: SHA-256 and the five words of an item list.
#include "output/file_code.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <utility>

#include "output/item_list.h"
#include "output/sha256.h"

namespace {

// FIPS 180-4 examples and messages whose padding ends just before, on and
// just after a block boundary.
TEST(FileCodeTest, Sha256StandardVectors) {
  const std::pair<std::string, const char*> vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [message, digest] : vectors) EXPECT_EQ(sha256Hex(message), digest) << message.size() << " bytes";
}

TEST(FileCodeTest, EveryChangedByteGivesAnotherCodeButLineEndsDoNot) {
  GenerationState state;
  state.placement.resize(kSlotCount);
  std::iota(state.placement.begin(), state.placement.end(), 0);
  const std::string bytes = formatItemList(state);
  const std::string code = fileCode(bytes);
  EXPECT_EQ(fileCodeLine(bytes), "File code: " + code);
  for (size_t k = 0; k < bytes.size(); ++k) {
    std::string changed = bytes;
    changed[k] = static_cast<char>(changed[k] ^ 1);
    EXPECT_NE(fileCode(changed), code) << "byte " << k;
  }
  // A copy whose line ends a transfer changed is still the same file.
  std::string lf = bytes;
  for (size_t end; (end = lf.find("\r\n")) != std::string::npos;) lf.erase(end, 1);
  EXPECT_EQ(fileCode(lf), code);
  EXPECT_EQ(fileCode(lf.substr(0, lf.size() - 1)), code);
  EXPECT_NE(fileCode(bytes + "\r\n"), code);
}

}  // namespace
