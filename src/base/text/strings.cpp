#include "base/text/strings.h"

#include <cstdint>
#include <utility>

namespace wc {

std::wstring lowerCase(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = lowerChar(c);
  return out;
}

bool equalsIgnoreCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && lowerChar(a[i]) != lowerChar(b[i])) return false;
  }
  return true;
}

std::vector<std::wstring> splitDroppingEmpty(std::wstring_view text, std::wstring_view separators) {
  std::vector<std::wstring> pieces;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || separators.find(text[i]) != std::wstring_view::npos) {
      if (i > start) pieces.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return pieces;
}

namespace {

// Reads a wide string as UTF-16 code units: a character above U+FFFF (only
// where a wide character is a code point) gives its surrogate pair.
class Utf16Units {
 public:
  explicit Utf16Units(std::wstring_view text) : text_(text) {}
  bool done() const { return next_ == text_.size() && pendingLow_ == 0; }
  uint32_t take() {
    if (pendingLow_ != 0) return std::exchange(pendingLow_, 0);
    uint32_t c = static_cast<uint32_t>(text_[next_++]);
    if (c <= 0xFFFF) return c;
    c -= 0x10000;
    pendingLow_ = 0xDC00 + (c & 0x3FF);
    return 0xD800 + (c >> 10);
  }

 private:
  std::wstring_view text_;
  size_t next_ = 0;
  uint32_t pendingLow_ = 0;
};

}  // namespace

bool utf16Less(std::wstring_view a, std::wstring_view b) {
  Utf16Units left(a), right(b);
  while (!left.done() && !right.done()) {
    uint32_t x = left.take(), y = right.take();
    if (x != y) return x < y;
  }
  return left.done() && !right.done();
}

bool startsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool endsWith(std::wstring_view text, std::wstring_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace wc
