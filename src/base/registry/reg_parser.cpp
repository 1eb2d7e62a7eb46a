// Reading the settings file and import files.

#include <optional>

#include "base/registry/reg_format.h"
#include "base/registry/value_data.h"
#include "base/text/strings.h"
#include "base/text/unicode.h"

namespace wc {

namespace registry {

RegFormatError::RegFormatError(size_t line, const std::wstring& reason)
    : vexception(L"line " + std::to_wstring(line) + L": " + reason), line_(line) {}

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view trimmed(std::wstring_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A piece of a bad line for a message, cut short when long.
std::wstring excerpt(std::wstring_view s) {
  constexpr size_t kMax = 40;
  return s.size() <= kMax ? std::wstring(s) : std::wstring(s.substr(0, kMax)) + L"...";
}

std::optional<uint32_t> hexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return std::nullopt;
}

// 1 to `maxDigits` hex digits and nothing else.
std::optional<uint32_t> hexNumber(std::wstring_view s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint32_t value = 0;
  for (wchar_t c : s) {
    std::optional<uint32_t> d = hexDigit(c);
    if (!d) return std::nullopt;
    value = (value << 4) | *d;
  }
  return value;
}

// The text as lines of wide characters, without line ends.
std::vector<std::wstring> splitLines(std::string_view text) {
  std::vector<std::wstring> lines;
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE) {
    std::optional<std::wstring> wide = utf16leToWide(text.substr(2));
    if (!wide) throw RegFormatError(1, L"the file is not valid UTF-16 text");
    std::wstring_view rest = *wide;
    while (true) {
      size_t end = rest.find(L'\n');
      lines.emplace_back(rest.substr(0, end));
      if (end == std::wstring_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  } else {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (true) {
      size_t end = text.find('\n');
      std::optional<std::wstring> line = utf8ToWide(text.substr(0, end));
      if (!line) throw RegFormatError(lines.size() + 1, L"the line is not valid UTF-8 text");
      lines.push_back(std::move(*line));
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 1);
    }
  }
  for (std::wstring& line : lines) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
  }
  return lines;
}

class Parser {
 public:
  explicit Parser(std::vector<std::wstring> lines) : lines_(std::move(lines)) {}

  std::vector<RegKeyEdit> run() {
    bool anyContent = false;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      std::wstring_view line = trimmed(lines_[index_]);
      if (line.empty()) continue;
      anyContent = true;
      if (line.front() == L';') continue;
      if (!sawHeader_) {
        if (line != kRegHeader) fail(L"the file does not start with \"" + std::wstring(kRegHeader) + L"\"");
        sawHeader_ = true;
      } else if (line.front() == L'[') {
        parseSection(line);
      } else if (line.front() == L'"' || line.front() == L'@') {
        parseValue(line);
      } else {
        fail(L"unexpected text \"" + excerpt(line) + L"\"");
      }
    }
    if (anyContent && !sawHeader_) {
      index_ = 0;
      fail(L"the file does not start with \"" + std::wstring(kRegHeader) + L"\"");
    }
    return std::move(edits_);
  }

 private:
  [[noreturn]] void fail(const std::wstring& reason) const { throw RegFormatError(index_ + 1, reason); }

  void parseSection(std::wstring_view line) {
    if (line.back() != L']') fail(L"a key name must end with ']'");
    std::wstring_view name = line.substr(1, line.size() - 2);
    RegKeyEdit edit;
    if (!name.empty() && name.front() == L'-') {
      edit.remove = true;
      name.remove_prefix(1);
    }
    size_t slash = name.find(L'\\');
    std::wstring_view root = name.substr(0, slash);
    if (equalsIgnoreCase(root, L"HKEY_LOCAL_MACHINE"))
      edit.root = Root::LocalMachine;
    else if (equalsIgnoreCase(root, L"HKEY_CURRENT_USER"))
      edit.root = Root::CurrentUser;
    else
      fail(L"unknown root key \"" + excerpt(root) + L"\" (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER)");
    std::wstring_view path = slash == std::wstring_view::npos ? std::wstring_view() : name.substr(slash + 1);
    std::optional<std::wstring> normalized = normalizedKeyPath(path);
    if (!normalized || (slash != std::wstring_view::npos && normalized->empty())) {
      fail(L"invalid key name \"" + excerpt(name) + L"\"");
    }
    edit.path = std::move(*normalized);
    edits_.push_back(std::move(edit));
  }

  // A quoted text with \\ and \" escapes, starting at line[pos] == '"'.
  std::wstring parseQuoted(std::wstring_view line, size_t& pos) const {
    std::wstring text;
    for (++pos;; ++pos) {
      if (pos >= line.size()) fail(L"a quoted text is not closed");
      wchar_t c = line[pos];
      if (c == L'"') {
        ++pos;
        return text;
      }
      if (c == L'\\') {
        if (pos + 1 >= line.size() || (line[pos + 1] != L'\\' && line[pos + 1] != L'"')) {
          fail(L"unknown escape in a quoted text (a backslash is written \\\\, a quote \\\")");
        }
        c = line[++pos];
      }
      text += c;
    }
  }

  void parseValue(std::wstring_view line) {
    if (edits_.empty()) fail(L"a value before the first key");
    RegKeyEdit& key = edits_.back();
    if (key.remove) fail(L"a value under a key that is being deleted");

    RegValueEdit value;
    size_t pos = 0;
    if (line.front() == L'@')
      ++pos;
    else
      value.name = parseQuoted(line, pos);
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != L'=') fail(L"'=' expected after the value name");
    std::wstring_view data = trimmed(line.substr(pos + 1));

    if (data == L"-") {
      value.remove = true;
    } else if (!data.empty() && data.front() == L'"') {
      size_t end = 0;
      std::wstring text = parseQuoted(data, end);
      if (end != data.size()) fail(L"unexpected text after the string \"" + excerpt(data.substr(end)) + L"\"");
      value.type = REG_SZ;
      value.data = encodeString(text);
    } else if (startsWith(lowerCase(data.substr(0, 6)), L"dword:")) {
      std::optional<uint32_t> number = hexNumber(data.substr(6), 8);
      if (!number) fail(L"a dword needs 1 to 8 hex digits, not \"" + excerpt(data.substr(6)) + L"\"");
      value.type = REG_DWORD;
      value.data = encodeDword(*number);
    } else if (startsWith(lowerCase(data.substr(0, 3)), L"hex")) {
      parseHex(data, value);
    } else {
      fail(L"unknown value data \"" + excerpt(data) + L"\"");
    }
    key.values.push_back(std::move(value));
  }

  // hex:bytes (REG_BINARY) or hex(N):bytes (type N in hex); a line that ends
  // with a backslash continues on the next.
  void parseHex(std::wstring_view data, RegValueEdit& value) {
    size_t first = index_;
    size_t pos = 3;
    value.type = REG_BINARY;
    if (pos < data.size() && data[pos] == L'(') {
      size_t close = data.find(L')', pos);
      std::optional<uint32_t> type =
          close == std::wstring_view::npos ? std::nullopt : hexNumber(data.substr(pos + 1, close - pos - 1), 8);
      if (!type) fail(L"hex(N) needs a type number in hex");
      value.type = *type;
      pos = close + 1;
    }
    if (pos >= data.size() || data[pos] != L':') fail(L"':' expected after \"" + excerpt(data.substr(0, pos)) + L"\"");

    std::wstring bytes(data.substr(pos + 1));
    while (!bytes.empty() && bytes.back() == L'\\') {
      bytes.pop_back();
      if (index_ + 1 >= lines_.size()) fail(L"the value continues past the end of the file");
      bytes += trimmed(lines_[++index_]);
    }

    std::wstring_view rest = trimmed(bytes);
    if (rest.empty()) return;
    while (true) {
      size_t comma = rest.find(L',');
      std::wstring_view token = trimmed(rest.substr(0, comma));
      std::optional<uint32_t> byte = hexNumber(token, 2);
      if (!byte) {
        index_ = first;
        fail(L"invalid byte \"" + excerpt(token) + L"\" in a hex list");
      }
      value.data += static_cast<char>(*byte);
      if (comma == std::wstring_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }

  std::vector<std::wstring> lines_;
  size_t index_ = 0;
  bool sawHeader_ = false;
  std::vector<RegKeyEdit> edits_;
};

}  // namespace

std::vector<RegKeyEdit> parseRegText(std::string_view text) { return Parser(splitLines(text)).run(); }

RegStore loadRegText(std::string_view text) {
  RegStore store;
  store.apply(parseRegText(text));
  return store;
}

}  // namespace registry

}  // namespace wc
