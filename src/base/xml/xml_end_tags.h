#pragma once
// End tags with blanks before their '>' ("</Host >", "</Engine\n>"). The
// parser accepts them and keeps nothing of them, so a file that has any is
// read once more before parsing: the blanks of each end tag are given to the
// element that the end tag closes, to be written back.

#include <string>
#include <string_view>
#include <vector>

namespace wc {

struct XmlEndTagBlanks {
  size_t element = 0;  // the element's place among all start tags of the file
  std::string blanks;
};

// For a well-formed text: every end tag that has blanks, in no particular
// order. Text the reading does not understand gives what was found so far.
std::vector<XmlEndTagBlanks> findEndTagBlanks(std::string_view text);

}  // namespace wc
