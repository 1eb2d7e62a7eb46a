#pragma once
// A text file held as an ordered list of 8-bit lines, edited in place so that
// every line an edit does not address survives byte for byte.
//
// Every edit follows one pattern: load the file, walk its lines (rewriting or
// erasing those whose key matters), append what is missing, save the file.
// Lines are stored without their breaks; the bytes are never converted.

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
  // Replaces the contents with the lines of the file at `path`. On failure the
  // list holds the lines read so far.
  void load(const std::wstring& path) {
    lines_.clear();
    readTextLines(path, lines_, functionName("load").c_str());
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
    Line record;
    size_t kept = 0;
    size_t next = 0;
    struct Compactor {
      std::vector<std::string>& lines;
      size_t& kept;
      size_t& next;
      ~Compactor() {
        if (kept != next) {
          for (size_t i = next; i < lines.size(); ++i) lines[kept + (i - next)] = std::move(lines[i]);
          lines.resize(kept + (lines.size() - next));
        }
      }
    } compactor{lines_, kept, next};

    while (next < lines_.size()) {
      record.parse(lines_[next]);
      const LineEdit action = edit(record);
      if (action == LineEdit::Erase) {
        ++next;
        continue;
      }
      if (action == LineEdit::Store) {
        record.compose();
        lines_[next].assign(record.text);
      }
      if (kept != next) lines_[kept] = std::move(lines_[next]);
      ++kept;
      ++next;
    }
  }

  // Composes `record` and adds its text as the new last line.
  void append(Line record) {
    record.compose();
    lines_.push_back(std::move(record.text));
  }

  void appendLine(std::string text) { lines_.push_back(std::move(text)); }

  const std::vector<std::string>& lines() const { return lines_; }
  size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }

 private:
  static std::string functionName(std::string_view member) {
    std::string name = "vtextfile<" + Line::typeName() + " >::";
    name += member;
    return name;
  }

  std::vector<std::string> lines_;
};
