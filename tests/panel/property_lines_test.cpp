#include "panel/property_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace wc {

namespace {

using Lines = std::vector<std::string>;
using Span = std::pair<size_t, size_t>;

// The cut written out plainly over the whole text at once.
std::vector<Span> referenceSpans(const std::string& text) {
  std::vector<Span> spans;
  const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
  for (size_t pos = 0; pos < text.size();) {
    size_t end = pos;
    while (end < text.size() && !isBreak(text[end])) ++end;
    spans.emplace_back(pos, end);
    for (pos = end; pos < text.size() && isBreak(text[pos]);) ++pos;
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
  std::vector<std::string> texts = {"", "\r", "\n", "x", "\r\n\r\n", "lone", "end\r", std::string("a\0b\r\nc", 6)};
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

// The cutter reports the offsets of every line and the splitter gathers those
// lines, whatever the pieces the text comes in.
TEST(LineCutter, CutsEveryLineWhateverThePieces) {
  for (const std::string& text : mixedTexts()) {
    SCOPED_TRACE(testing::PrintToString(text));
    const std::vector<Span> expected = referenceSpans(text);
    EXPECT_EQ(cutInPieces(text, text.size() + 1, 1), expected) << "in one piece";
    EXPECT_EQ(cutInPieces(text, 1, 1), expected) << "in small pieces";
    EXPECT_EQ(cutInPieces(text, 5, 40), expected) << "in larger pieces";
    Lines expectedLines;
    for (const auto& [begin, end] : expected) expectedLines.push_back(text.substr(begin, end - begin));
    for (size_t piece : {text.size() + 1, size_t{1}, size_t{3}}) {
      Lines lines;
      LineSplitter splitter(lines);
      for (size_t pos = 0; pos < text.size(); pos += piece) splitter.feed(std::string_view(text).substr(pos, piece));
      splitter.finish();
      EXPECT_EQ(lines, expectedLines) << "split in pieces of " << piece;
    }
  }
}

// Each line with a key, split as the connector's edits split it, on the line
// an editor shows it on.
TEST(PropertyEntries, KeysValuesAndLinesAsAnEditorCountsThem) {
  const struct {
    std::string text;
    std::vector<PropertyEntry> entries;
  } cases[] = {
      {"a=1\r\nb=2", {{"a", "1", 1}, {"b", "2", 2}}},
      {"\r\n\r\na=1\n\nb", {{"a", "1", 3}}},  // blank lines count, a bare word is no entry
      {"a=1\r\rb=2\n\rc=3", {{"a", "1", 1}, {"b", "2", 3}, {"c", "3", 5}}},  // lone CRs, LF CR
      {"#c=1\nk#v=w\n=x\nk=v#w", {{"k", "", 2}, {"k", "v#w", 4}}},           // '#' before '=' ends the key
  };
  for (const auto& [text, entries] : cases) EXPECT_EQ(propertyEntries(text), entries) << testing::PrintToString(text);
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

}  // namespace wc
