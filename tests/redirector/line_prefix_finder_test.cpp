#include "redirector/line_prefix_finder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "redirector/saved_form.h"

namespace wc {

namespace {

using namespace std::string_literals;

// Where the finder finds lines, searching on from each line it found.
std::vector<size_t> foundLines(std::string_view text, const std::vector<std::string_view>& prefixes) {
  const LinePrefixFinder finder(prefixes);
  std::vector<size_t> found;
  for (size_t at = finder.find(text); at != std::string_view::npos; at = finder.find(text, at + 1)) found.push_back(at);
  return found;
}

// The same by looking at every line start in turn.
std::vector<size_t> expectedLines(std::string_view text, const std::vector<std::string_view>& prefixes) {
  std::vector<size_t> found;
  for (size_t at = 0; at <= text.size(); ++at) {
    if (at > 0 && text[at - 1] != '\n') continue;
    if (std::any_of(prefixes.begin(), prefixes.end(),
                    [&](std::string_view prefix) { return text.substr(at).substr(0, prefix.size()) == prefix; }))
      found.push_back(at);
  }
  return found;
}

TEST(LinePrefixFinder, FindsTheLinesThatBeginWithAPrefixLikeALookAtEveryLine) {
  // Lines made of the same few words as the prefixes, the prefixes also
  // within lines, a line shorter than any prefix, a last line without a
  // break.
  std::string text = "/site3.example.com/app3";
  for (int i = 0; i < 400; ++i)
    text += "/site" + std::to_string(i % 37) + ".example.com/app" + std::to_string(i % 5) + "/*=w\r\n";
  const std::string longName(300, 'n');
  text += "x=/site3.example.com/\n/\n/" + longName + "/app=w\r\naaaaaaaa/";
  const std::string longPrefix = "/" + longName + "/app=w";
  for (const std::vector<std::string_view>& prefixes :
       std::vector<std::vector<std::string_view>>{{"/site3.example.com/app3"},
                                                  {"/site3.example.com/app3/*="},
                                                  {"/site36."},
                                                  {"aaaa"},
                                                  {"/"},
                                                  {""},
                                                  {"missing prefix"},
                                                  {"w\r\n/site1"},
                                                  {longPrefix},
                                                  {"/site36.", "/nope/", "/site3.example"},
                                                  {"/site1", "/site2.example.com/app2", "aaaaaaaa/"}}) {
    EXPECT_EQ(foundLines(text, prefixes), expectedLines(text, prefixes)) << prefixes.front();
  }
  EXPECT_EQ(foundLines("ab\nab", {"ab"}), (std::vector<size_t>{0, 3}));
  EXPECT_EQ(foundLines("ab\n", {""}), (std::vector<size_t>{0, 3}));
  EXPECT_EQ(LinePrefixFinder({"ab"}).find("ab\nab", 1), 3u);
  EXPECT_EQ(LinePrefixFinder({"ab"}).find("ab", 3), std::string_view::npos);
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
