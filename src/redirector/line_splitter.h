#pragma once
// Cuts a byte stream into lines, however the stream arrives in pieces.
//
// A line break is a maximal run of CR and LF bytes in any order and number, so
// blank lines vanish. The text before the first break is a line even when it is
// empty; text after the last break is a line only when it is not empty. State
// is carried between pieces, so a line or a run of breaks that straddles two
// pieces is cut as if it had come in one.

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/text/next_byte.h"

namespace wc {

// The cut itself, for callers that keep the bytes: each line is reported as
// onLine(begin, end), the offsets of its bytes in the stream fed so far.
class LineCutter {
 public:
  template <class OnLine>
  void feed(std::string_view piece, OnLine&& onLine) {
    const char* const begin = piece.data();
    const char* const end = begin + piece.size();
    // The next CR and the next LF at or after `p`, each searched for again
    // only once `p` has passed it, so every byte is searched once per kind.
    NextByte cr{'\r', begin, end};
    NextByte lf{'\n', begin, end};
    const char* p = begin;
    while (p < end) {
      if (inBreak_) {
        while (p < end && (*p == '\r' || *p == '\n')) ++p;
        if (p == end) break;
        inBreak_ = false;
        lineStart_ = offsetOf(begin, p);
      }
      const char* const lineEnd = std::min(cr.from(p), lf.from(p));
      if (lineEnd == end) break;
      onLine(lineStart_, offsetOf(begin, lineEnd));
      inBreak_ = true;
      p = lineEnd;
    }
    fed_ += piece.size();
  }

  // Reports the pending text of the last line; call once after the last piece.
  template <class OnLine>
  void finish(OnLine&& onLine) {
    if (!inBreak_ && fed_ > lineStart_) onLine(lineStart_, fed_);
    lineStart_ = fed_;
    inBreak_ = false;
  }

  // Where the line being gathered starts, as an offset in the stream.
  size_t pendingStart() const { return inBreak_ ? fed_ : lineStart_; }

 private:
  size_t offsetOf(const char* begin, const char* p) const { return fed_ + static_cast<size_t>(p - begin); }

  size_t fed_ = 0;        // bytes fed before the current piece
  size_t lineStart_ = 0;  // offset of the line being gathered
  bool inBreak_ = false;
};

// The cut for callers that hand the bytes over piece by piece and want each
// line as a string of its own.
class LineSplitter {
 public:
  explicit LineSplitter(std::vector<std::string>& lines) : lines_(lines) {}

  void feed(std::string_view bytes);
  // Emits the pending text of the last line; call once after the last piece.
  void finish();

 private:
  void emit(size_t begin, size_t end);

  std::vector<std::string>& lines_;
  LineCutter cutter_;
  std::string pending_;     // the stream's bytes from pendingBase_ on
  size_t pendingBase_ = 0;  // stream offset of pending_'s first byte
};

}  // namespace wc
