#include "redirector/line_splitter.h"

namespace {
bool isBreakByte(char c) { return c == '\r' || c == '\n'; }
}  // namespace

void LineSplitter::feed(std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    if (inBreak_) {
      while (pos < bytes.size() && isBreakByte(bytes[pos])) ++pos;
      if (pos < bytes.size()) inBreak_ = false;
      continue;
    }
    const size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      current_.append(bytes.substr(pos));
      return;
    }
    current_.append(bytes.substr(pos, end - pos));
    // Copy rather than move: the copy is sized to the line, and the gathering
    // buffer keeps its capacity for the next line.
    lines_.emplace_back(current_);
    current_.clear();
    inBreak_ = true;
    pos = end;
  }
}

void LineSplitter::finish() {
  if (!current_.empty()) lines_.emplace_back(current_);
  current_.clear();
  inBreak_ = false;
}
