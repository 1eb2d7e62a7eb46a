#include "base/text/vaformat.h"

#include <cwchar>

#include "base/text/convert.h"

namespace wc {

namespace {

constexpr size_t kFirstBufferSize = 100;
constexpr size_t kBufferLimit = 0xA00000;  // 10,485,760 characters

struct Directive {
  bool left = false, plus = false, space = false, alternate = false, zero = false;
  int width = 0;
  int precision = -1;
  int bits = 32;  // integer size the length modifier asks for
  wchar_t conversion = 0;
};

void pad(std::wstring& out, const std::wstring& body, const Directive& directive, bool numeric) {
  size_t width = directive.width > 0 ? static_cast<size_t>(directive.width) : 0;
  if (body.size() >= width) {
    out += body;
    return;
  }
  size_t fill = width - body.size();
  if (directive.left) {
    out += body;
    out.append(fill, L' ');
  } else if (directive.zero && numeric) {
    // Zeros go after a sign or a 0x prefix.
    size_t prefix = 0;
    if (!body.empty() && (body[0] == L'-' || body[0] == L'+' || body[0] == L' ')) prefix = 1;
    if (body.size() >= prefix + 2 && body[prefix] == L'0' && (body[prefix + 1] == L'x' || body[prefix + 1] == L'X'))
      prefix += 2;
    out.append(body, 0, prefix);
    out.append(fill, L'0');
    out.append(body, prefix, std::wstring::npos);
  } else {
    out.append(fill, L' ');
    out += body;
  }
}

uint64_t truncateUnsigned(uint64_t v, int bits) {
  if (bits >= 64) return v;
  return v & ((uint64_t{1} << bits) - 1);
}

int64_t truncateSigned(uint64_t v, int bits) {
  if (bits >= 64) return static_cast<int64_t>(v);
  uint64_t t = truncateUnsigned(v, bits);
  uint64_t sign = uint64_t{1} << (bits - 1);
  return static_cast<int64_t>((t ^ sign) - sign);
}

std::wstring digits(uint64_t v, unsigned base, bool upper) {
  const wchar_t* set = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  std::wstring s;
  do {
    s.insert(s.begin(), set[v % base]);
    v /= base;
  } while (v);
  return s;
}

bool formatInteger(std::wstring& out, const FormatArg& arg, const Directive& directive) {
  if (arg.kind() != FormatArg::Kind::Signed && arg.kind() != FormatArg::Kind::Unsigned) return false;
  uint64_t raw = arg.asUnsigned();
  std::wstring sign, body;
  switch (directive.conversion) {
    case L'd':
    case L'i': {
      int64_t v = truncateSigned(raw, directive.bits);
      uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
      if (v < 0)
        sign = L"-";
      else if (directive.plus)
        sign = L"+";
      else if (directive.space)
        sign = L" ";
      body = digits(magnitude, 10, false);
      break;
    }
    case L'u':
      body = digits(truncateUnsigned(raw, directive.bits), 10, false);
      break;
    case L'o':
      body = digits(truncateUnsigned(raw, directive.bits), 8, false);
      break;
    case L'x':
    case L'X': {
      uint64_t v = truncateUnsigned(raw, directive.bits);
      body = digits(v, 16, directive.conversion == L'X');
      if (directive.alternate && v != 0) sign = directive.conversion == L'X' ? L"0X" : L"0x";
      break;
    }
    default:
      return false;
  }
  if (directive.precision >= 0) {
    if (directive.precision == 0 && body == L"0") body.clear();
    if (body.size() < static_cast<size_t>(directive.precision)) body.insert(0, directive.precision - body.size(), L'0');
  }
  Directive s = directive;
  if (directive.precision >= 0) s.zero = false;
  pad(out, sign + body, s, true);
  return true;
}

bool formatString(std::wstring& out, const FormatArg& arg, const Directive& directive) {
  std::wstring body;
  if (arg.kind() == FormatArg::Kind::Wide) {
    body = arg.isNull() ? L"(null)" : std::wstring(arg.wide());
  } else if (arg.kind() == FormatArg::Kind::Narrow) {
    body = arg.isNull() ? L"(null)" : wstrLenient(arg.narrow());
  } else {
    return false;
  }
  if (directive.precision >= 0 && body.size() > static_cast<size_t>(directive.precision))
    body.resize(directive.precision);
  pad(out, body, directive, false);
  return true;
}

bool formatDouble(std::wstring& out, const FormatArg& arg, const Directive& directive) {
  double v;
  if (arg.kind() == FormatArg::Kind::Double)
    v = arg.asDouble();
  else if (arg.kind() == FormatArg::Kind::Signed)
    v = static_cast<double>(arg.asSigned());
  else if (arg.kind() == FormatArg::Kind::Unsigned)
    v = static_cast<double>(arg.asUnsigned());
  else
    return false;
  std::wstring f = L"%";
  if (directive.left) f += L'-';
  if (directive.plus) f += L'+';
  if (directive.space) f += L' ';
  if (directive.alternate) f += L'#';
  if (directive.zero) f += L'0';
  if (directive.width > 0) f += std::to_wstring(directive.width);
  if (directive.precision >= 0) f += L"." + std::to_wstring(directive.precision);
  f += directive.conversion;
  wchar_t buffer[512];
  int n = std::swprintf(buffer, 512, f.c_str(), v);
  if (n < 0) return false;
  out.append(buffer, static_cast<size_t>(n));
  return true;
}

}  // namespace

std::optional<std::wstring> formatArgs(std::wstring_view format, const FormatArg* args, size_t count) {
  std::wstring out;
  size_t next = 0;
  auto take = [&]() -> const FormatArg* { return next < count ? &args[next++] : nullptr; };

  for (size_t i = 0; i < format.size(); ++i) {
    wchar_t c = format[i];
    if (c != L'%') {
      out += c;
      continue;
    }
    if (++i >= format.size()) return std::nullopt;
    if (format[i] == L'%') {
      out += L'%';
      continue;
    }
    Directive directive;
    for (; i < format.size(); ++i) {
      wchar_t f = format[i];
      if (f == L'-')
        directive.left = true;
      else if (f == L'+')
        directive.plus = true;
      else if (f == L' ')
        directive.space = true;
      else if (f == L'#')
        directive.alternate = true;
      else if (f == L'0')
        directive.zero = true;
      else
        break;
    }
    if (i < format.size() && format[i] == L'*') {
      const FormatArg* w = take();
      if (!w || (w->kind() != FormatArg::Kind::Signed && w->kind() != FormatArg::Kind::Unsigned)) return std::nullopt;
      int width = static_cast<int>(w->asSigned());
      if (width < 0) {
        directive.left = true;
        width = -width;
      }
      directive.width = width;
      ++i;
    } else {
      while (i < format.size() && format[i] >= L'0' && format[i] <= L'9') {
        directive.width = directive.width * 10 + (format[i] - L'0');
        if (directive.width > 100000000) return std::nullopt;
        ++i;
      }
    }
    if (i < format.size() && format[i] == L'.') {
      ++i;
      directive.precision = 0;
      if (i < format.size() && format[i] == L'*') {
        const FormatArg* p = take();
        if (!p || (p->kind() != FormatArg::Kind::Signed && p->kind() != FormatArg::Kind::Unsigned)) return std::nullopt;
        directive.precision = static_cast<int>(p->asSigned());
        if (directive.precision < 0) directive.precision = -1;
        ++i;
      } else {
        while (i < format.size() && format[i] >= L'0' && format[i] <= L'9') {
          directive.precision = directive.precision * 10 + (format[i] - L'0');
          if (directive.precision > 100000000) return std::nullopt;
          ++i;
        }
      }
    }
    // Length modifiers: only the ones that make an integer 64 or fewer bits matter.
    for (; i < format.size(); ++i) {
      std::wstring_view rest = format.substr(i);
      if (rest.substr(0, 3) == L"I64") {
        directive.bits = 64;
        i += 2;
      } else if (rest.substr(0, 3) == L"I32") {
        directive.bits = 32;
        i += 2;
      } else if (rest.substr(0, 2) == L"ll") {
        directive.bits = 64;
        ++i;
      } else if (rest.substr(0, 2) == L"hh") {
        directive.bits = 8;
        ++i;
      } else if (rest[0] == L'h') {
        directive.bits = 16;
      } else if (rest[0] == L'j' || rest[0] == L'z' || rest[0] == L't' || rest[0] == L'I') {
        directive.bits = 64;
      } else if (rest[0] == L'l' || rest[0] == L'L' || rest[0] == L'w') {
        // long is 32 bits on Windows; 'w' marks a wide string or character
      } else {
        break;
      }
    }
    if (i >= format.size()) return std::nullopt;
    directive.conversion = format[i];
    switch (directive.conversion) {
      case L'd':
      case L'i':
      case L'u':
      case L'o':
      case L'x':
      case L'X': {
        const FormatArg* a = take();
        if (!a || !formatInteger(out, *a, directive)) return std::nullopt;
        break;
      }
      case L's':
      case L'S':
      case L'Z': {
        const FormatArg* a = take();
        if (!a || !formatString(out, *a, directive)) return std::nullopt;
        break;
      }
      case L'c':
      case L'C': {
        const FormatArg* a = take();
        if (!a || (a->kind() != FormatArg::Kind::Signed && a->kind() != FormatArg::Kind::Unsigned)) return std::nullopt;
        pad(out, std::wstring(1, static_cast<wchar_t>(a->asUnsigned())), directive, false);
        break;
      }
      case L'p': {
        const FormatArg* a = take();
        if (!a || a->kind() != FormatArg::Kind::Pointer) return std::nullopt;
        std::wstring body = digits(reinterpret_cast<uintptr_t>(a->pointer()), 16, true);
        body.insert(0, 16 - std::min<size_t>(16, body.size()), L'0');
        pad(out, body, directive, false);
        break;
      }
      case L'e':
      case L'E':
      case L'f':
      case L'F':
      case L'g':
      case L'G':
      case L'a':
      case L'A': {
        const FormatArg* a = take();
        if (!a || !formatDouble(out, *a, directive)) return std::nullopt;
        break;
      }
      default:
        return std::nullopt;  // %n and unknown conversions
    }
  }
  return out;
}

std::wstring vaformatResult(std::optional<std::wstring> text) {
  if (text) {
    for (size_t size = kFirstBufferSize; size < kBufferLimit; size *= 2) {
      if (text->size() < size) return std::move(*text);
    }
  }
  return L"Error on try call vaformat";
}

}  // namespace wc
