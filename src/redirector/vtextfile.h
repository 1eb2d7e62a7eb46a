#pragma once
// A text file held as an ordered list of 8-bit lines, edited in place so that
// every line an edit does not address survives byte for byte.
//
// Every edit follows one pattern: load the file, walk its lines (rewriting or
// erasing those whose key matters), append what is missing, save the file.
// Lines are stored without their breaks; the bytes are never converted. The
// loaded file stays in one buffer that the lines view; only lines that an
// edit stores or appends own their text.

#include <algorithm>
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "redirector/text_lines_io.h"

// What a walk does with the line it has just presented.
enum class LineEdit {
  Keep,   // leave the stored text as it is
  Store,  // compose the record and store its text in the line's place
  Erase,  // remove the line; the walk goes on with the line after it
};

template <class Line>
class vtextfile {
 public:
  vtextfile() = default;
  // The lines view the file's own buffers, which must stay where they are.
  vtextfile(const vtextfile&) = delete;
  vtextfile& operator=(const vtextfile&) = delete;

  // Replaces the contents with the lines of the file at `path`. On failure the
  // list holds the lines read so far.
  void load(const std::wstring& path) {
    lines_.clear();
    owned_.clear();
    text_.clear();
    readTextLines(path, text_, lines_, functionName("load").c_str());
  }

  // Writes every line followed by CR LF, replacing the file's contents.
  void save(const std::wstring& path) const { writeTextLines(path, lines_, functionName("save").c_str()); }

  // Presents each line, first to last, parsed into one reused record; `edit`
  // may change the record and answers what becomes of the line. Erased lines
  // are squeezed out as the walk goes, so a walk is linear in the file's size
  // however many lines it erases. If `edit` throws, the lines not yet walked
  // are kept and the list stays whole.
  template <class Edit>
  void walk(Edit&& edit) {
    walk([](std::string_view) { return true; }, edit);
  }

  // The same walk over the lines whose key (Line::keyOf) `wanted` accepts;
  // the other lines are kept without being parsed.
  template <class Wanted, class Edit>
  void walk(Wanted&& wanted, Edit&& edit) {
    Line record;
    size_t kept = 0;
    size_t next = 0;
    struct Compactor {
      std::vector<std::string_view>& lines;
      size_t& kept;
      size_t& next;
      ~Compactor() {
        if (kept != next) {
          std::copy(lines.begin() + static_cast<std::ptrdiff_t>(next), lines.end(),
                    lines.begin() + static_cast<std::ptrdiff_t>(kept));
          lines.resize(kept + (lines.size() - next));
        }
      }
    } compactor{lines_, kept, next};

    while (next < lines_.size()) {
      const std::string_view line = lines_[next];
      if (wanted(Line::keyOf(line))) {
        record.parse(line);
        const LineEdit action = edit(record);
        if (action == LineEdit::Erase) {
          ++next;
          continue;
        }
        if (action == LineEdit::Store) {
          record.compose();
          lines_[next] = own(record.text);
        }
      }
      lines_[kept] = lines_[next];
      ++kept;
      ++next;
    }
  }

  // Composes `record` and adds its text as the new last line.
  void append(Line record) {
    record.compose();
    lines_.push_back(own(std::move(record.text)));
  }

  void appendLine(std::string text) { lines_.push_back(own(std::move(text))); }

  // A copy of the lines, first to last.
  std::vector<std::string> lines() const { return std::vector<std::string>(lines_.begin(), lines_.end()); }
  size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }

 private:
  static std::string functionName(std::string_view member) {
    std::string name = "vtextfile<" + Line::typeName() + " >::";
    name += member;
    return name;
  }

  // Keeps the text of a stored or appended line; a deque never moves the
  // strings it holds, so views of them stay valid.
  std::string_view own(std::string text) { return owned_.emplace_back(std::move(text)); }

  std::string text_;                     // the bytes of the loaded file
  std::deque<std::string> owned_;        // lines stored or appended since
  std::vector<std::string_view> lines_;  // views into text_ and owned_
};
