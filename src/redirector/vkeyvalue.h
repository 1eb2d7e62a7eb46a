#pragma once
// One line of a key=value property file, read as key, value and comment.
// Nothing is trimmed: blanks around '=' or the comment character belong to the
// key, value or comment, so a line that is not edited composes back to itself.

#include <string>
#include <string_view>

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
    const size_t hash = line.find(CommentChar);
    const size_t equals = line.find('=');
    if (equals != std::string_view::npos && (hash == std::string_view::npos || equals < hash)) {
      key.assign(line.substr(0, equals));
      value.assign(line.substr(equals + 1));
    } else if (hash != std::string_view::npos) {
      key.assign(line.substr(0, hash));
      comment.assign(line.substr(hash + 1));
    }
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
};
