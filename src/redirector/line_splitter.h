#pragma once
// Cuts a byte stream into lines, however the stream arrives in pieces.
//
// A line break is a maximal run of CR and LF bytes in any order and number, so
// blank lines vanish. The text before the first break is a line even when it is
// empty; text after the last break is a line only when it is not empty. State
// is carried between pieces, so a line or a run of breaks that straddles two
// pieces is cut as if it had come in one.

#include <string>
#include <string_view>
#include <vector>

class LineSplitter {
 public:
  explicit LineSplitter(std::vector<std::string>& lines) : lines_(lines) {}

  void feed(std::string_view bytes);
  // Emits the pending text of the last line; call once after the last piece.
  void finish();

 private:
  std::vector<std::string>& lines_;
  std::string current_;  // the line being gathered; keeps its capacity
  bool inBreak_ = false;
};
