#pragma once
// One line of a key=value property file, read as key, value and comment.
// Nothing is trimmed: blanks around '=' or the comment character belong to the
// key, value or comment, so a line that is not edited composes back to itself.

#include <string>
#include <string_view>

#include "panel/property_lines.h"

namespace wc {

template <char CommentChar>
class vkeyvalue {
 public:
  std::string key;
  std::string value;
  std::string comment;
  std::string text;  // the whole line as stored in the file

  vkeyvalue() = default;
  explicit vkeyvalue(std::string_view line) { parse(line); }
  // A new line built from a key and a value; `text` is composed at once.
  vkeyvalue(std::string_view newKey, std::string_view newValue) : key(newKey), value(newValue) { compose(); }

  // Derives key, value and comment from `line` and keeps it as `text`.
  // An '=' before any comment character splits key and value, and the value
  // runs to the end of the line, comment characters included. Otherwise the
  // first comment character splits key and comment. A line with neither has
  // the empty key, which no caller looks for.
  void parse(std::string_view line) {
    text.assign(line);
    key.clear();
    value.clear();
    comment.clear();
    const size_t cut = separatorOf(line);
    if (cut == std::string_view::npos) return;
    key.assign(line.data(), cut);
    (line[cut] == '=' ? value : comment).assign(line.data() + cut + 1, line.size() - cut - 1);
  }

  // The key that parse() finds in `line`, without parsing the rest.
  static std::string_view keyOf(std::string_view line) {
    const size_t cut = separatorOf(line);
    return cut == std::string_view::npos ? std::string_view() : line.substr(0, cut);
  }

  // Rebuilds `text` from the fields. An empty value drops the '=' as well, so
  // 'key=old' with its value cleared becomes 'key'.
  void compose() {
    text.assign(key);
    if (!value.empty()) {
      text += '=';
      text += value;
    }
    if (!comment.empty()) {
      text += CommentChar;
      text += comment;
    }
  }

  // The class name as it appears in call points: "class vkeyvalue<35>".
  static std::string typeName() {
    return "class vkeyvalue<" + std::to_string(static_cast<int>(static_cast<unsigned char>(CommentChar))) + ">";
  }

 private:
  static size_t separatorOf(std::string_view line) { return propertySeparator(line, CommentChar); }
};

}  // namespace wc
