#pragma once
// The one reader of the redirector's property files, for the connector's
// edits and for the check: it cuts a byte stream into lines, however the
// stream arrives in pieces, numbers them as an editor does, and splits a line
// into key and value.
//
// A line break is a maximal run of CR and LF bytes in any order and number, so
// blank lines vanish. The text before the first break is a line even when it is
// empty; text after the last break is a line only when it is not empty. State
// is carried between pieces, so a line or a run of breaks that straddles two
// pieces is cut as if it had come in one. An editor counts CR LF, a lone CR
// and a lone LF as one break each, so a run of breaks can pass several lines.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text/first_of_bytes.h"

namespace wc {

// The cut itself, for callers that keep the bytes: each line is reported as
// onLine(begin, end), the offsets of its bytes in the stream fed so far.
class LineCutter {
 public:
  template <class OnLine>
  void feed(std::string_view piece, OnLine&& onLine) {
    const char* const begin = piece.data();
    const char* const end = begin + piece.size();
    const char* p = begin;
    while (p < end) {
      if (inBreak_) {
        for (; p < end && (*p == '\r' || *p == '\n'); ++p) {
          if (*p == '\r' || !afterCr_) ++lineNumber_;
          afterCr_ = *p == '\r';
        }
        if (p == end) break;
        inBreak_ = false;
        afterCr_ = false;
        lineStart_ = offsetOf(begin, p);
      }
      const char* const lineEnd = firstOfBytes<'\r', '\n'>(p, end);
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
  // How many bytes were fed.
  size_t fed() const { return fed_; }
  // The line an editor shows the reported line on, from 1; read it in onLine.
  size_t lineNumber() const { return lineNumber_; }

 private:
  size_t offsetOf(const char* begin, const char* p) const { return fed_ + static_cast<size_t>(p - begin); }

  size_t fed_ = 0;        // bytes fed before the current piece
  size_t lineStart_ = 0;  // offset of the line being gathered
  size_t lineNumber_ = 1;
  bool inBreak_ = false;
  bool afterCr_ = false;  // the last byte of the break so far is a CR
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

// Where a property line splits: the first '=' when no comment character comes
// before it, else the first comment character; npos when it has neither.
size_t propertySeparator(std::string_view line, char commentChar);

// A key=value line of a property file; its line as an editor counts it.
struct PropertyEntry {
  std::string_view key;  // in the text it was read from
  std::string_view value;
  size_t line = 0;

  bool operator==(const PropertyEntry&) const = default;
};

// Splits `line` as the connector's edits split it: the key runs to the
// separator, and the value follows an '='. False for a line without a key.
inline bool propertyEntryOf(std::string_view line, size_t lineNumber, PropertyEntry& entry) {
  const size_t cut = propertySeparator(line, '#');
  if (cut == std::string_view::npos || cut == 0) return false;
  entry = {line.substr(0, cut), line[cut] == '=' ? line.substr(cut + 1) : std::string_view(), lineNumber};
  return true;
}

// Calls onEntry(entry) for each line of a whole file's text that has a key
// (propertyEntryOf). Lines without a key are passed over.
template <class OnEntry>
void forEachPropertyEntry(std::string_view text, OnEntry&& onEntry) {
  LineCutter cutter;
  PropertyEntry entry;
  auto onLine = [&](size_t begin, size_t end) {
    if (propertyEntryOf(text.substr(begin, end - begin), cutter.lineNumber(), entry)) onEntry(std::as_const(entry));
  };
  cutter.feed(text, onLine);
  cutter.finish(onLine);
}

// Those entries, kept.
std::vector<PropertyEntry> propertyEntries(std::string_view text);

}  // namespace wc
