#include "base/text/unicode.h"

#include <cstdint>

namespace wc {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void appendWide(std::wstring& out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(cp);
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

template <bool Lenient>
std::optional<std::wstring> fromUtf8(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t cp;
    size_t length;
    if (!decodeUtf8(s, i, cp, length)) {
      if (!Lenient) return std::nullopt;
      cp = kReplacement;
    }
    appendWide(out, cp);
    i += length;
  }
  return out;
}

template <bool Lenient>
std::optional<std::string> toUtf8(std::wstring_view w) {
  std::string out;
  out.reserve(w.size());
  for (size_t i = 0; i < w.size();) {
    char32_t cp;
    if (!nextCodePoint(w, i, cp)) {
      if (!Lenient) return std::nullopt;
      cp = kReplacement;
    }
    appendUtf8(out, cp);
  }
  return out;
}

}  // namespace

bool decodeUtf8(std::string_view text, size_t at, char32_t& cp, size_t& length) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char b0 = byte(at);
  length = 1;
  if (b0 < 0x80) {
    cp = b0;
    return true;
  }
  size_t n;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    n = 2;
    cp = b0 & 0x1F;
    min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3;
    cp = b0 & 0x0F;
    min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4;
    cp = b0 & 0x07;
    min = 0x10000;
  } else
    return false;
  if (at + n > text.size()) return false;
  for (size_t k = 1; k < n; ++k) {
    unsigned char b = byte(at + k);
    if ((b & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || isSurrogate(cp)) return false;
  length = n;
  return true;
}

bool nextCodePoint(std::wstring_view text, size_t& i, char32_t& cp) {
  char32_t c = static_cast<char32_t>(text[i++]);
  if constexpr (sizeof(wchar_t) == 2) {
    c &= 0xFFFF;
    if (c >= 0xD800 && c <= 0xDBFF && i < text.size()) {
      char32_t low = static_cast<char32_t>(text[i]) & 0xFFFF;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ++i;
        cp = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        return true;
      }
    }
  }
  cp = c;
  return !isSurrogate(c) && c <= 0x10FFFF;
}

std::optional<std::wstring> utf8ToWide(std::string_view utf8) { return fromUtf8<false>(utf8); }
std::optional<std::string> wideToUtf8(std::wstring_view wide) { return toUtf8<false>(wide); }
std::wstring utf8ToWideLenient(std::string_view utf8) { return *fromUtf8<true>(utf8); }
std::string wideToUtf8Lenient(std::wstring_view wide) { return *toUtf8<true>(wide); }

std::string wideToUtf16le(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size() * 2);
  auto unit = [&](uint16_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (size_t i = 0; i < wide.size();) {
    char32_t cp;
    if (!nextCodePoint(wide, i, cp)) cp = kReplacement;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(static_cast<uint16_t>(0xD800 + (cp >> 10)));
      unit(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      unit(static_cast<uint16_t>(cp));
    }
  }
  return out;
}

std::optional<std::wstring> utf16leToWide(std::string_view bytes) {
  if (bytes.size() % 2) return std::nullopt;
  std::wstring out;
  out.reserve(bytes.size() / 2);
  auto unit = [&](size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                 (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
  };
  size_t n = bytes.size() / 2;
  for (size_t k = 0; k < n; ++k) {
    char32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n && unit(k + 1) >= 0xDC00 && unit(k + 1) <= 0xDFFF) {
      appendWide(out, 0x10000 + ((u - 0xD800) << 10) + (unit(k + 1) - 0xDC00));
      ++k;
    } else if (isSurrogate(u)) {
      if constexpr (sizeof(wchar_t) == 2)
        out += static_cast<wchar_t>(u);
      else
        return std::nullopt;
    } else {
      appendWide(out, u);
    }
  }
  return out;
}

}  // namespace wc
