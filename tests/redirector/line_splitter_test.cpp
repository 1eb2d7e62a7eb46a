#include "redirector/line_splitter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
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

namespace {

using Span = std::pair<size_t, size_t>;

// The cut written out plainly over the whole text at once.
std::vector<Span> referenceSpans(const std::string& text) {
  std::vector<Span> spans;
  auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && !isBreak(text[end])) ++end;
    if (end == text.size()) {
      spans.emplace_back(pos, end);
      break;
    }
    spans.emplace_back(pos, end);
    pos = end;
    while (pos < text.size() && isBreak(text[pos])) ++pos;
  }
  return spans;
}

std::vector<Span> cutInPieces(const std::string& text, size_t firstPiece, size_t step) {
  std::vector<Span> spans;
  LineCutter cutter;
  auto onLine = [&](size_t begin, size_t end) { spans.emplace_back(begin, end); };
  size_t pos = 0;
  size_t piece = firstPiece;
  while (pos < text.size()) {
    const size_t size = std::min(piece, text.size() - pos);
    cutter.feed(std::string_view(text).substr(pos, size), onLine);
    pos += size;
    piece = piece % 13 + step;  // sizes that keep changing
  }
  cutter.finish(onLine);
  return spans;
}

// Texts made of a few bytes in varying runs: lone CRs, lone LFs, CR LF, LF CR,
// long runs, text at either end, and lines long enough to cross pieces.
std::vector<std::string> mixedTexts() {
  const char* const alphabet[] = {"a", "\r", "\n", "\r\n", "bc=d#e", "\n\r"};
  std::vector<std::string> texts = {"", "\r", "\n", "x", "\r\n\r\n", "lone", "end\r"};
  unsigned seed = 7;
  for (int t = 0; t < 200; ++t) {
    std::string text;
    const int parts = 1 + t % 23;
    for (int i = 0; i < parts; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += (seed >> 16) % 7 == 6 ? std::string(300, 'x') : std::string(alphabet[(seed >> 16) % 6]);
    }
    texts.push_back(text);
  }
  return texts;
}

TEST(LineCutter, ReportsTheOffsetsOfEveryLineWhateverThePieces) {
  for (const std::string& text : mixedTexts()) {
    SCOPED_TRACE(testing::PrintToString(text));
    const std::vector<Span> expected = referenceSpans(text);
    EXPECT_EQ(cutInPieces(text, text.size() + 1, 1), expected) << "in one piece";
    EXPECT_EQ(cutInPieces(text, 1, 1), expected) << "in small pieces";
    EXPECT_EQ(cutInPieces(text, 5, 40), expected) << "in larger pieces";
  }
}

TEST(LineCutter, KnowsWhereThePendingLineStarts) {
  LineCutter cutter;
  auto ignore = [](size_t, size_t) {};
  cutter.feed("ab\r", ignore);
  EXPECT_EQ(cutter.pendingStart(), 3u);  // in a break: nothing pending yet
  cutter.feed("\ncd", ignore);
  EXPECT_EQ(cutter.pendingStart(), 4u);
  cutter.feed("ef", ignore);
  EXPECT_EQ(cutter.pendingStart(), 4u);
  std::vector<Span> last;
  cutter.finish([&](size_t begin, size_t end) { last.emplace_back(begin, end); });
  EXPECT_EQ(last, (std::vector<Span>{{4, 8}}));
}

}  // namespace
