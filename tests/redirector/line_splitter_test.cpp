#include "redirector/line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

Lines splitAt(const std::string& bytes, const std::vector<size_t>& cuts) {
  Lines lines;
  LineSplitter splitter(lines);
  size_t start = 0;
  for (size_t cut : cuts) {
    splitter.feed(std::string_view(bytes).substr(start, cut - start));
    start = cut;
  }
  splitter.feed(std::string_view(bytes).substr(start));
  splitter.finish();
  return lines;
}

// Runs of CR and LF are one break, the text before the first break is a line
// even when empty, and the pieces the bytes arrive in change nothing.
TEST(LineSplitter, CutsAtRunsOfBreaksWhateverThePieces) {
  const std::vector<std::pair<std::string, Lines>> cases = {
      {"", {}},
      {"\r\n", {""}},
      {"a\r\n\r\n\r\nb", {"a", "b"}},
      {"\n\r\n\ra\n", {"", "a"}},
      {"a\rb\n\rc", {"a", "b", "c"}},
      {"one\r\ntwo\r\n\r\nthree\r", {"one", "two", "three"}},
      {"a\0b\r\nc"s, {"a\0b"s, "c"}},
  };
  for (const auto& [bytes, expected] : cases) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(splitAt(bytes, {}), expected);
    std::vector<size_t> everyByte;
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
      EXPECT_EQ(splitAt(bytes, {cut}), expected) << "cut at " << cut;
      if (cut > 0 && cut < bytes.size()) everyByte.push_back(cut);
    }
    EXPECT_EQ(splitAt(bytes, everyByte), expected);
  }
}

}  // namespace
