#include "redirector/substring_finder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "redirector/saved_form.h"

namespace wc {

namespace {

using namespace std::string_literals;

// Every occurrence; on the way, the line-start search must find exactly
// those at the start of a line.
std::vector<size_t> allOccurrences(std::string_view text, const std::vector<std::string_view>& needles) {
  const SubstringFinder finder(needles);
  std::vector<size_t> found, atLineStarts, lineStartsFound;
  for (size_t at = finder.find(text); at != std::string_view::npos; at = finder.find(text, at + 1)) {
    found.push_back(at);
    if (at == 0 || text[at - 1] == '\n') atLineStarts.push_back(at);
  }
  for (size_t at = finder.findAtLineStart(text); at != std::string_view::npos;
       at = finder.findAtLineStart(text, at + 1))
    lineStartsFound.push_back(at);
  EXPECT_EQ(lineStartsFound, atLineStarts) << needles.front();
  return found;
}

std::vector<size_t> expectedOccurrences(std::string_view text, std::string_view needle) {
  std::vector<size_t> found;
  for (size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1)) found.push_back(at);
  return found;
}

TEST(SubstringFinder, FindsEveryOccurrenceLikeAPlainSearch) {
  // Text made of the same few words as the needles, so that the shifts meet
  // partial matches, overlaps and the needle at both ends of the text.
  std::string text = "/site3.example.com/app3";
  for (int i = 0; i < 400; ++i)
    text += "/site" + std::to_string(i % 37) + ".example.com/app" + std::to_string(i % 5) + "/*=w\r\n";
  const std::string longName(300, 'n');
  text += "/" + longName + "/app=w\r\naaaaaaaa/";
  for (std::string_view needle : {"/site3.example.com/app3", "/site3.example.com/app3/*=", "/site36.", "aaaa",
                                  "aaaaaaaa", "a/", "/", "", "missing needle", "w\r\n/site1"})
    EXPECT_EQ(allOccurrences(text, {needle}), expectedOccurrences(text, needle)) << needle;
  const std::string longNeedle = "/" + longName + "/app=w";
  EXPECT_EQ(allOccurrences(text, {longNeedle}), std::vector<size_t>{text.find(longNeedle)});
  // Several needles in one pass; a shift is the smallest any of them allows.
  EXPECT_EQ(allOccurrences(text, {"/site36.", "/nope/", "/site3.example"}).size(),
            expectedOccurrences(text, "/site36.").size() + expectedOccurrences(text, "/site3.example").size());
  EXPECT_EQ(allOccurrences("xxxxxqrst_abcd_zzzz", {"qrst_abcd_zzzz", "abcd_uvwx_yyyy"}), std::vector<size_t>{5});
  EXPECT_EQ(allOccurrences("qqab_abcdyy", {"ab_abcdyy", "abcd_yyyy", "zzzz_abcd"}), std::vector<size_t>{2});
  EXPECT_EQ(SubstringFinder("abcd").find("xabc"), std::string_view::npos);
  EXPECT_EQ(SubstringFinder("abcd").find("abcd", 5), std::string_view::npos);
}

TEST(SavedForm, IsCrLfAfterEveryLineWithoutBlankLinesHoweverTheTextIsCut) {
  const std::string line(200, 'x');
  const std::string lfAlone = line + "\r\n" + line + "\n" + line + "\r\n";
  const std::string blankLine = line + "\r\n\r\n" + line;
  const std::vector<std::string> inForm = {"", "a", "a\r\n", "\r\na\r\n", "a=1\r\nb=2", "\r\n", "x\0y\r\n"s};
  const std::vector<std::string> notInForm = {"a\n",       "\na",     "a\r",   "a\rb\r\n", "a\r\n\r\nb",
                                              "\r\n\r\na", "a\n\r\n", lfAlone, blankLine};
  for (const bool expected : {true, false}) {
    for (const std::string& text : expected ? inForm : notInForm) {
      EXPECT_EQ(isInSavedForm(text), expected) << text;
      // In two stretches, the second beginning with the first's last two bytes.
      for (size_t cut = 0; cut <= text.size(); ++cut) {
        const size_t next = cut - std::min<size_t>(cut, 2);
        EXPECT_EQ(
            keepsSavedForm(text.substr(0, cut), true, false) && keepsSavedForm(text.substr(next), next == 0, true),
            expected)
            << text << " cut at " << cut;
      }
    }
  }
}

}  // namespace

}  // namespace wc
