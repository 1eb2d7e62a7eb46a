#include "base/xml/xml_subset_load.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "base/text/unicode.h"
#include "base/xml/xml_chars.h"
#include "base/xml/xml_layout.h"
#include "base/xml/xml_parser.h"
#include "base/xml/xml_text_codec.h"
#include "base/xml/xml_text_scan.h"

namespace wc {

namespace {

constexpr size_t kNone = std::string_view::npos;

constexpr std::array<bool, 256> kAsciiNameBytes = [] {
  std::array<bool, 256> names = kXmlNameBytes;
  for (int c = 0x80; c < 0x100; ++c) names[c] = false;
  return names;
}();

bool isAsciiNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':'; }
bool isAsciiNameByte(char c) { return kAsciiNameBytes[static_cast<unsigned char>(c)]; }

// Sixteen bytes compared at once (GCC's and Clang's vector types; SSE2 on
// x86-64): a lane of flags is all ones where the byte is notable.
using SignedBytes16 = signed char __attribute__((vector_size(16)));

// The subset's check, one pass. Whatever it does not accept goes to the full
// load, so it may refuse more than XML does, never less. Spans are noted in
// the order of the start tags; in a document, not those inside a Host of the
// Engine, whose content is only checked.
class SubsetScan {
 public:
  // The scan reads the byte after the text without a bound check: a
  // std::string ends in a NUL, which is neither a blank nor a name byte.
  SubsetScan(const std::string& text, std::vector<XmlElementSpan>& spans, XmlHostReader* reader = nullptr)
      : text_(text), spans_(spans), reader_(reader) {}

  // The whole text; the end of the declaration in `declarationEnd` (0 for none).
  bool document(size_t& declarationEnd) {
    declarationEnd = 0;
    if (startsWithXmlDeclaration(text_) && (declarationEnd = attributesEnd(5, true)) == kNone) return false;
    return content(declarationEnd, text_.size(), true);
  }

  // What stands between `begin` and `end`: a whole document, or the content
  // of an element.
  bool content(size_t i, const size_t end, const bool document) {
    struct Open {
      std::string_view name;
      size_t span;  // kNone inside a deferred Host
    };
    const char* text = text_.data();
    std::vector<Open> open;
    size_t deferredDepth = kNone;
    bool rootSeen = !document;
    while (i < end) {
      if (text_[i] != '<') {
        bool references = false;
        const size_t next = charactersEnd(i, end, '<', &references);
        if (next == kNone) return false;
        const std::string_view run = text_.substr(i, next - i);
        if (document && open.empty() && run.find_first_not_of(" \t\r\n") != kNone) return false;
        if (references && checkXmlSpelling(run, XmlValueKind::Text, false)) return false;
        if (reader_ && deferredDepth != kNone) reader_->text(run);
        i = next;
      } else if (text[i + 1] == '!' && text[i + 2] == '-' && text[i + 3] == '-') {
        // The first "--" must close it: XML allows no other, nor a '-' before it.
        size_t close = i + 4;
        while ((close = charactersEnd(close, end, '-')) != kNone && close + 1 < end && text_[close + 1] != '-') ++close;
        if (close == kNone || close + 2 >= end || text_[close + 2] != '>') return false;
        if (reader_ && deferredDepth != kNone) reader_->comment(text_.substr(i + 4, close - i - 4));
        i = close + 3;
      } else if (text[i + 1] == '/') {
        if (open.empty()) return false;
        const size_t nameEnd = i + 2 + open.back().name.size();
        if (nameEnd >= end || text_.substr(i + 2, open.back().name.size()) != open.back().name ||
            text_[nameEnd] != '>') {
          return false;
        }
        if (const size_t span = open.back().span; span != kNone) {
          spans_[span].contentEnd = i;
          spans_[span].end = nameEnd + 1;
          // Parsed again alone, content that begins with a byte order mark would lose it.
          spans_[span].deferred = spans_[span].deferred && i > spans_[span].headEnd + 1 &&
                                  !text_.substr(spans_[span].headEnd + 1).starts_with("\xEF\xBB\xBF");
        }
        if (reader_ && deferredDepth != kNone) reader_->endTag();
        if (open.size() == deferredDepth) deferredDepth = kNone;
        open.pop_back();
        i = nameEnd + 1;
      } else {
        if (document && rootSeen && open.empty()) return false;  // a second document element
        rootSeen = true;
        if (!isAsciiNameStart(text[i + 1])) return false;
        const size_t nameEnd = asciiNameEnd(i + 2);
        const std::string_view name = text_.substr(i + 1, nameEnd - i - 1);
        // The Engine's Hosts: the document element holds the Service, that the Engine.
        const bool host = document && deferredDepth == kNone && open.size() == 3 && name == "Host";
        const bool told = reader_ && (host || deferredDepth != kNone);
        if (told) reader_->startTag(i, name);
        const size_t headEnd = attributesEnd(nameEnd, false, told);
        if (headEnd == kNone || headEnd >= end) return false;
        const bool closed = text_[headEnd] == '/';
        if (told && closed) reader_->endTag();
        size_t span = kNone;
        if (deferredDepth == kNone) {
          span = spans_.size();
          spans_.push_back({i, headEnd, headEnd, headEnd + (closed ? 2 : 1), false});
        }
        if (!closed) {
          open.push_back({name, span});
          if (host) {
            spans_[span].deferred = true;
            deferredDepth = open.size();
          }
        }
        i = headEnd + (closed ? 2 : 1);
      }
    }
    return open.empty() && rootSeen;
  }

 private:
  // The end of the characters from `i` on: the first `stop`, `end`, or kNone
  // at a character XML does not allow. In text and values (`references`
  // given) also kNone at a '<' that is not the stop, and `references` tells
  // whether a '&' or ']' came on the way.
  size_t charactersEnd(size_t i, const size_t end, const char stop, bool* references = nullptr) const {
    const char* text = text_.data();
    while (i < end) {
      // Plain ASCII sixteen bytes at a time: a signed byte below 0x20 is a
      // control character or part of a multi-byte sequence.
      if constexpr (std::endian::native == std::endian::little) {
        for (SignedBytes16 bytes; i + 16 <= end; i += 16) {
          std::memcpy(&bytes, text + i, 16);
          SignedBytes16 flags = (bytes < 0x20) | (bytes == stop);
          if (references) flags |= (bytes == '&') | (bytes == ']') | (bytes == '<');
          uint64_t halves[2];
          std::memcpy(halves, &flags, 16);
          if (halves[0] | halves[1]) {
            i += halves[0] ? std::countr_zero(halves[0]) / 8 : 8 + std::countr_zero(halves[1]) / 8;
            break;
          }
        }
        if (i >= end) break;
      }
      const unsigned char c = static_cast<unsigned char>(text[i]);
      size_t length = 1;
      if (c == static_cast<unsigned char>(stop)) return i;
      if (references && (c == '&' || c == ']')) *references = true;
      if (references && c == '<') return kNone;
      if (c < 0x20 && !isXmlBlankByte(static_cast<char>(c))) return kNone;
      char32_t decoded = 0;
      if (c >= 0x80 && !(decodeUtf8(text_, i, decoded, length) && isXmlChar(decoded))) return kNone;
      i += length;
    }
    return end;
  }

  // The end of the ASCII name bytes from `i` on, sixteen bytes at a time
  // where the text has them.
  size_t asciiNameEnd(size_t i) const {
    const char* text = text_.data();
    if constexpr (std::endian::native == std::endian::little) {
      for (SignedBytes16 bytes; i + 16 <= text_.size(); i += 16) {
        std::memcpy(&bytes, text + i, 16);
        const SignedBytes16 lower = bytes | 0x20;
        const SignedBytes16 names = ((lower >= 'a') & (lower <= 'z')) | ((bytes >= '0') & (bytes <= ':')) |
                                    (bytes == '-') | (bytes == '.') | (bytes == '_');
        uint64_t others[2];
        std::memcpy(others, &names, 16);
        others[0] = ~others[0];
        others[1] = ~others[1];
        if (others[0] | others[1]) {
          return i + (others[0] ? std::countr_zero(others[0]) / 8 : 8 + std::countr_zero(others[1]) / 8);
        }
      }
    }
    while (isAsciiNameByte(text[i])) ++i;
    return i;
  }

  size_t blanksEnd(size_t i) const {
    while (isXmlBlankByte(text_[i])) ++i;
    return i;
  }

  // From just after a name: the attributes up to the '>' or "/>" that ends
  // a start tag (its position), or up to the "?>" that ends the declaration
  // (the position after it); kNone when they are outside the subset.
  size_t attributesEnd(size_t i, const bool declaration, const bool told = false) {
    const char* text = text_.data();
    names_.clear();
    for (;;) {
      const size_t blanks = i;
      i = blanksEnd(i);
      if (i >= text_.size()) return kNone;
      if (declaration && text[i] == '?' && text[i + 1] == '>') return i + 2;
      if (!declaration && (text[i] == '>' || (text[i] == '/' && text[i + 1] == '>'))) return i;
      if (i == blanks || !isAsciiNameStart(text[i])) return kNone;
      const size_t nameStart = i;
      i = asciiNameEnd(i + 1);
      const std::string_view name(text + nameStart, i - nameStart);
      for (std::string_view other : names_) {
        if (other.size() == name.size() && other.back() == name.back() && other == name) return kNone;
      }
      names_.push_back(name);
      i = blanksEnd(i);
      if (text[i] != '=') return kNone;
      i = blanksEnd(i + 1);
      if (text[i] != '"' && text[i] != '\'') return kNone;
      bool references = false;
      const size_t close = charactersEnd(i + 1, text_.size(), text[i], &references);
      if (close == kNone || close == text_.size()) return kNone;
      const std::string_view value(text + i + 1, close - i - 1);
      if (references && (declaration || checkXmlSpelling(value, XmlValueKind::Attribute, false))) return kNone;
      if (declaration && value.find('"') != kNone) return kNone;
      if (told) reader_->attribute(name, value);
      i = close + 1;
    }
  }

  std::string_view text_;
  std::vector<XmlElementSpan>& spans_;
  XmlHostReader* reader_;
  std::vector<std::string_view> names_;  // of the attributes of the tag at hand
};

// Gives the elements of `root`'s subtree their spans, in document order.
bool giveSpans(const XmlDocumentState& state, pugi::xml_node root, const std::vector<XmlElementSpan>& spans) {
  size_t next = 0;
  for (pugi::xml_node n = root; n; n = nextInDocumentOrder(n, root)) {
    if (n.type() != pugi::node_element || n == root) continue;
    if (next == spans.size()) return false;
    state.spans.emplace(n.internal_object(), spans[next++]);
  }
  return next == spans.size();
}

}  // namespace

bool loadXmlSubset(std::string& utf8, XmlDocumentState& state, XmlHostReader* hostReader) {
  std::vector<XmlElementSpan> spans;
  size_t declarationEnd = 0;
  if (!SubsetScan(utf8, spans, hostReader).document(declarationEnd)) return false;

  // The text without the deferred contents, and the parser's terminator.
  size_t size = utf8.size() + 1;
  for (const XmlElementSpan& span : spans) size -= span.deferred ? span.contentEnd - span.headEnd - 1 : 0;
  state.buffer.reserve(size);
  size_t from = 0;
  for (const XmlElementSpan& span : spans) {
    if (!span.deferred) continue;
    state.buffer.append(utf8, from, span.headEnd + 1 - from);
    from = span.contentEnd;
  }
  state.buffer.append(utf8, from);
  state.buffer.push_back('\0');

  state.spans.reserve(spans.size());
  if (!state.tree.load_buffer_inplace(state.buffer.data(), state.buffer.size(), kXmlParseOptions,
                                      pugi::encoding_utf8) ||
      !giveSpans(state, state.tree, spans)) {
    state.spans.clear();
    state.buffer.clear();
    return false;
  }
  state.declarationText = utf8.substr(0, declarationEnd);
  state.newline = utf8.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  state.original = std::move(utf8);
  state.indentUnit = detectIndentUnit(state);
  return true;
}

// The load checked the content already: what fails here is the layer's fault.
void XmlDocumentState::expand(pugi::xml_node element) {
  auto found = spans.find(element.internal_object());
  if (found == spans.end() || !found->second.deferred) return;
  XmlElementSpan& span = found->second;
  if (!element.append_buffer(original.data() + span.headEnd + 1, span.contentEnd - span.headEnd - 1, kXmlParseOptions,
                             pugi::encoding_utf8)) {
    throw ComError(E_FAIL_RESULT, L"The content of an element could not be read again");
  }
  span.deferred = false;
  span.innerSpansDue = true;
}

void XmlDocumentState::giveInnerSpans(pugi::xml_node host, XmlElementSpan& span) const {
  span.innerSpansDue = false;
  std::vector<XmlElementSpan> inner;
  if (!SubsetScan(original, inner).content(span.headEnd + 1, span.contentEnd, false) ||
      !giveSpans(*this, host, inner)) {
    throw ComError(E_FAIL_RESULT, L"The content of an element could not be read again");
  }
}

const XmlElementSpan* XmlDocumentState::spanOf(pugi::xml_node element) const {
  auto own = spans.find(element.internal_object());
  if (own != spans.end() || spans.empty()) return own == spans.end() ? nullptr : &own->second;
  for (pugi::xml_node n = element.parent(); n; n = n.parent()) {
    auto found = spans.find(n.internal_object());
    if (found == spans.end()) continue;
    if (!found->second.innerSpansDue) return nullptr;
    giveInnerSpans(n, found->second);
    return spanOf(element);
  }
  return nullptr;
}

}  // namespace wc
