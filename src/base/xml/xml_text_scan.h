#pragma once
// The check a whole text gets before it is parsed: valid UTF-8 and only
// characters XML allows. On the way it notes the bytes the parser is going to
// overwrite at the end of names (xml_name_ends.h) and whether lines end in
// CR LF.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/xml/xml_name_ends.h"

namespace wc {

struct XmlTextProblem {
  size_t offset = 0;
  std::wstring reason;
};

struct XmlTextScan {
  std::optional<XmlTextProblem> problem;  // the first one
  bool windowsLineBreaks = false;         // some line ends in CR LF
  bool endTagBlanks = false;              // some end tag may have blanks before its '>'
};

XmlTextScan scanXmlText(std::string_view text, XmlNameEnds& nameEnds);

// Bytes that may be part of an XML name, as the parser reads them: the ASCII
// name characters and every byte of a multi-byte UTF-8 sequence.
inline constexpr std::array<bool, 256> kXmlNameBytes = [] {
  std::array<bool, 256> names{};
  for (int c = 'a'; c <= 'z'; ++c) names[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c) names[c] = true;
  for (int c = '0'; c <= '9'; ++c) names[c] = true;
  for (int c = 0x80; c < 0x100; ++c) names[c] = true;
  names['-'] = names['.'] = names['_'] = names[':'] = true;
  return names;
}();

inline bool isXmlNameByte(unsigned char c) { return kXmlNameBytes[c]; }

}  // namespace wc
