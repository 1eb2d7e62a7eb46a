#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "redirector/property_file.h"
#include "redirector/text_lines_io.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

namespace {

using namespace testing_support;
using Lines = std::vector<std::string>;

class PrefixWalkTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir_ / name; }

  // Loads `bytes`, runs `edits` on the file and returns its lines and its
  // saved bytes.
  template <class Edits>
  std::pair<Lines, std::string> edited(const std::string& bytes, Edits&& edits) {
    writeFile(path("in"), bytes);
    PropertyFile file;
    file.load(w(path("in")));
    edits(file);
    file.save(context, w(path("out")));
    return {file.lines(), readFile(path("out"))};
  }

  TempDir dir_;
};

// Stores "/a/x", erases what is under "/b/" except "/b/keep", appends a line.
LineEdit sampleEdit(PropertyLine& line) {
  if (line.key == "/a/x") {
    line.value = "new";
    return LineEdit::Store;
  }
  return line.key.rfind("/b/", 0) == 0 ? LineEdit::Erase : LineEdit::Keep;
}
bool sampleWanted(std::string_view key) { return key != "/b/keep"; }
const std::vector<std::string_view> kPrefixes = {"/a/x", "/b/", "/a/"};

// `bytes` with a comment line after it that ends at `offset`.
std::string paddedTo(std::string bytes, size_t offset) {
  return bytes + "#" + std::string(offset - bytes.size() - 3, '.') + "\r\n";
}

TEST_F(PrefixWalkTest, EditsAsAWalkOverEveryLineWouldInAnyLayoutAndLaterWalksSeeEarlierEdits) {
  const std::string cases[] = {
      "#c\r\n/a/x=1\r\nz/a/x=mid\r\n/a/y=2\r\n/b/1=3\r\n/b/keep=4\r\n/a/x=5",  // last line without a break
      "\r\n/b/1=3\r\n/a/x=1\r\nlast",                                          // empty first line
      "/a/x#c\r\n/a/xx=1\r\n/b/1\r\n/b/\r\n",                                  // no '=': no key
      "/a/x=1\n/b/1=2\r\n\r\n/a/x=3\r\n",                                      // breaks a save changes
      "",
      // Read in pieces: edits at the start, of a key across a piece's end, of
      // a line longer than a piece, of a line whose CR LF two pieces share,
      // and at the end.
      paddedTo(paddedTo("/a/x=1\r\n", kTextPiece - 3) + "/a/x=2\r\n/a/x=" + std::string(kTextPiece, 'v') + "\r\n",
               3 * kTextPiece - 7) +
          "/b/1=3\r\n/a/x=5",
      // An LF alone, in the first byte of a piece.
      paddedTo("/a/x=1\r\n", kTextPiece - 1) + "z\n/a/x=2\r\n/b/1=3",
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes.substr(0, 80));
    Lines presented;
    auto searched = edited(bytes, [&](PropertyFile& file) {
      file.walkKeysStartingWith(kPrefixes, sampleWanted, [&](PropertyLine& line) {
        presented.push_back(line.text);
        return sampleEdit(line);
      });
      file.append(PropertyLine("/c/", "added"));
    });
    Lines walked;
    auto reference = edited(bytes, [&](PropertyFile& file) {
      file.walk(
          [](std::string_view key) {
            return sampleWanted(key) && (key.rfind("/a/", 0) == 0 || key.rfind("/b/", 0) == 0);
          },
          [&](PropertyLine& line) {
            walked.push_back(line.text);
            return sampleEdit(line);
          });
      file.append(PropertyLine("/c/", "added"));
    });
    EXPECT_EQ(presented, walked);
    EXPECT_EQ(searched, reference);
  }
  EXPECT_EQ(edited(cases[0], [](PropertyFile& file) { file.walkKeysStartingWith(kPrefixes, sampleWanted, sampleEdit); })
                .second,
            "#c\r\n/a/x=new\r\nz/a/x=mid\r\n/a/y=2\r\n/b/keep=4\r\n/a/x=new\r\n");

  // Later walks and appends see earlier edits.
  auto [lines, saved] = edited("/a/x=1\r\n/b/1=2\r\nz=3\r\n/a/y=4", [](PropertyFile& file) {
    file.walkKeysStartingWith(kPrefixes, sampleWanted, sampleEdit);
    EXPECT_EQ(file.lines(), (Lines{"/a/x=new", "z=3", "/a/y=4"}));
    file.appendLine("/a/z=5");
    file.walkKeysStartingWith({"/a/"}, sampleWanted,
                              [](PropertyLine& line) { return line.key == "/a/x" ? LineEdit::Keep : LineEdit::Erase; });
    file.appendLine("/b/2=6");
  });
  EXPECT_EQ(lines, (Lines{"/a/x=new", "z=3", "/b/2=6"}));
  EXPECT_EQ(saved, "/a/x=new\r\nz=3\r\n/b/2=6\r\n");
}

}  // namespace

}  // namespace wc
