#include "base/xml/xml_text_scan.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "base/text/unicode.h"
#include "base/text/vaformat.h"
#include "base/xml/xml_chars.h"

namespace wc {

namespace {

enum ByteClass : uint8_t {
  kPlain,        // printable ASCII that needs no attention
  kTabOrReturn,  // may end a name
  kLineFeed,     // may end a name; tells CR LF files apart
  kTagOpen,      // '<': an element name may follow
  kControl,      // never allowed
  kNonAscii,     // starts or continues a UTF-8 sequence
};

constexpr std::array<uint8_t, 256> makeClasses() {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 0x20; ++c) classes[c] = kControl;
  for (int c = 0x80; c < 0x100; ++c) classes[c] = kNonAscii;
  classes['\t'] = kTabOrReturn;
  classes['\r'] = kTabOrReturn;
  classes['\n'] = kLineFeed;
  classes['<'] = kTagOpen;
  return classes;
}

constexpr std::array<uint8_t, 256> kClasses = makeClasses();
constexpr const std::array<bool, 256>& kNameBytes = kXmlNameBytes;

// Eight bytes at once: nonzero when one of them is below 0x20 or above 0x7F,
// or is '<'. The lowest flagged byte is exact; flags above it may be false
// alarms, so only the lowest one is trusted.
inline uint64_t attentionMask(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  const uint64_t control = (word - kOnes * 0x20) & ~word & kHigh;
  const uint64_t open = word ^ (kOnes * '<');
  return control | (word & kHigh) | ((open - kOnes) & ~open & kHigh);
}

// Checks the UTF-8 sequence at `i`; its length, or 0 with the problem set.
size_t checkSequence(std::string_view text, size_t i, XmlTextScan& scan) {
  char32_t decoded = 0;
  size_t length = 0;
  if (!decodeUtf8(text, i, decoded, length)) {
    scan.problem = XmlTextProblem{i, L"The text is not valid UTF-8"};
    return 0;
  }
  if (!isXmlChar(decoded)) {
    scan.problem = XmlTextProblem{i, vaformat(L"The character %s is not allowed in XML", describeChar(decoded))};
    return 0;
  }
  return length;
}

}  // namespace

XmlTextScan scanXmlText(std::string_view view, XmlNameEnds& nameEnds) {
  XmlTextScan scan;
  const auto* text = reinterpret_cast<const unsigned char*>(view.data());
  const size_t size = view.size();
  size_t i = 0;
  while (i < size) {
    // Most of a file is plain ASCII: skip it eight bytes at a time.
    if constexpr (std::endian::native == std::endian::little) {
      while (i + 8 <= size) {
        uint64_t word;
        std::memcpy(&word, text + i, 8);
        if (const uint64_t mask = attentionMask(word)) {
          i += static_cast<size_t>(std::countr_zero(mask)) / 8;
          break;
        }
        i += 8;
      }
    }
    if (i >= size) break;
    const unsigned char c = text[i];
    switch (kClasses[c]) {
      case kPlain:
        break;
      case kLineFeed:
        if (i > 0 && text[i - 1] == '\r') scan.windowsLineBreaks = true;
        [[fallthrough]];
      case kTabOrReturn:
        if (i > 0 && kNameBytes[text[i - 1]]) nameEnds.note(i, static_cast<char>(c));
        break;
      case kTagOpen: {
        if (i + 1 < size && text[i + 1] == '/') {
          // An end tag; its name is checked when the loop gets to it.
          size_t end = i + 2;
          while (end < size && kNameBytes[text[end]]) ++end;
          if (end < size && isXmlBlankByte(static_cast<char>(text[end]))) {
            scan.endTagBlanks = true;
          }
          i += 2;
          continue;
        }
        // An element name: the '>' or '/' right after it is noted; a tab or
        // line break is noted when the loop gets to it.
        size_t end = i + 1;
        while (end < size && kNameBytes[text[end]]) {
          if (text[end] < 0x80) {
            ++end;
          } else if (size_t length = checkSequence(view, end, scan)) {
            end += length;
          } else {
            return scan;
          }
        }
        if (end > i + 1 && end < size && (text[end] == '>' || text[end] == '/')) {
          nameEnds.note(end, static_cast<char>(text[end]));
        }
        i = end;
        continue;
      }
      case kControl:
        scan.problem = XmlTextProblem{i, vaformat(L"The character %s is not allowed in XML", describeChar(c))};
        return scan;
      case kNonAscii:
        if (size_t length = checkSequence(view, i, scan)) {
          i += length;
          continue;
        }
        return scan;
    }
    ++i;
  }
  nameEnds.shrinkToFit();
  return scan;
}

}  // namespace wc
