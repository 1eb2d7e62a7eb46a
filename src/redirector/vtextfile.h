#pragma once
// A text file held as an ordered list of 8-bit lines, edited in place so that
// every line an edit does not address survives byte for byte.
//
// Every edit follows one pattern: load the file, walk its lines (rewriting or
// erasing those whose key matters), append what is missing, save the file.
// Lines are stored without their breaks; the bytes are never converted.
//
// A loaded file whose breaks are already those a save writes (CR LF after
// every line, no blank lines) stays one block of text in the file, which is
// kept open and read in pieces, so that a large file is never held in
// memory: a walk over the lines whose keys begin with given prefixes finds
// them by searching each piece, edits are noted beside it by their offsets in
// the file, and a save copies the untouched stretches from the file. Any
// other walk, and a file in another form, reads the text whole and cuts it
// into lines, which view the loaded bytes; only lines that an edit stores or
// appends own their text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "panel/property_lines.h"
#include "redirector/line_prefix_finder.h"
#include "redirector/saved_form.h"
#include "redirector/text_lines_io.h"

namespace wc {

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
    const std::string function = functionName("load");
    clear();
    try {
      reader_.open(path, function.c_str());
      bool inForm = true;
      reader_.readPieces(0, TextFileReader::kToEnd, function.c_str(),
                         [&](std::string_view bytes, uint64_t offset, bool last) {
                           if (!keepsSavedForm(bytes, offset == 0, last)) {
                             inForm = false;
                             return TextFileReader::kStopReading;
                           }
                           if (!last) return bytes.size() - std::min<size_t>(bytes.size(), 2);
                           size_ = offset + bytes.size();
                           endsWithBreak_ = !bytes.empty() && bytes.back() == '\n';
                           return bytes.size();
                         });
      if (!inForm) cutLines(function.c_str());
    } catch (...) {
      // As a failed read of the whole file leaves them: the lines read before
      // the failure.
      clear();
      try {
        readTextFile(path, text_, function.c_str());
      } catch (...) {
      }
      cutLines(function.c_str());
      throw;
    }
  }

  // Writes every line followed by CR LF, replacing the file's contents. A
  // save of a block of text closes the loaded file, which Windows might not
  // replace while it is open; the lines are then those of the file written,
  // read from it when they are next used. After a failed save they are as
  // they were: the loaded file, left as it was, is opened again if needed
  // (and refused, should another process have replaced or rewritten it).
  void save(const Context& context, const std::wstring& path) {
    loadSaved();
    const std::string function = functionName("save");  // the writer keeps the pointer
    TextFileWriter writer(context, path, function.c_str());
    if (cut_) {
      for (std::string_view line : lines_) writer.writeLine(line);
      writer.finish();
      return;
    }
    uint64_t copied = 0;
    auto copyUpTo = [&](uint64_t end) {
      if (end > copied) {
        reader_.readPieces(copied, end, function.c_str(), [&writer](std::string_view bytes, uint64_t, bool) {
          writer.writeBytes(bytes);
          return bytes.size();
        });
      }
    };
    for (const NotedEdit& edit : edits_) {
      copyUpTo(edit.begin);
      if (!edit.erased) writer.writeLine(edit.text);
      copied = edit.end;
    }
    copyUpTo(size_);
    if (copied < size_ && !endsWithBreak_) writer.writeBytes("\r\n");
    for (std::string_view line : appended_) writer.writeLine(line);
    reader_.close();
    writer.finish();
    if (size_ > 0) {
      std::wstring saved = path;
      clear();
      savedTo_ = std::move(saved);
    }
  }

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
    cutLinesNow("walk");
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

  // The same walk over the lines whose key begins with one of `prefixes` and
  // that `wanted` accepts. On a file still held as one block of text, only
  // the lines that begin with a prefix are looked at.
  template <class Wanted, class Edit>
  void walkKeysStartingWith(const std::vector<std::string_view>& prefixes, Wanted&& wanted, Edit&& edit) {
    loadSaved();
    auto prefixed = [&prefixes](std::string_view key) {
      return std::any_of(prefixes.begin(), prefixes.end(),
                         [key](std::string_view prefix) { return key.substr(0, prefix.size()) == prefix; });
    };
    const bool searchable =
        std::none_of(prefixes.begin(), prefixes.end(), [](std::string_view p) { return p.empty(); });
    // Edits already noted would have to be looked up at every line found.
    if (cut_ || !searchable || !edits_.empty() || !appended_.empty()) {
      walk([&](std::string_view key) { return prefixed(key) && wanted(key); }, edit);
      return;
    }
    if (prefixes.empty() || size_ == 0) return;
    const LinePrefixFinder finder(searchedPrefixes(prefixes));
    const std::string function = functionName("walkKeysStartingWith");
    Line record;
    reader_.readPieces(0, size_, function.c_str(), [&](std::string_view piece, uint64_t offset, bool last) {
      // Only whole lines are searched: a line that the piece cuts short is
      // held for the next piece, which begins with it.
      const size_t lastBreak = piece.rfind('\n');
      const std::string_view text =
          last ? piece : piece.substr(0, lastBreak == std::string_view::npos ? 0 : lastBreak + 1);
      // The text begins a line, and in saved form every other line follows an LF.
      for (size_t at = finder.find(text); at != std::string_view::npos; at = finder.find(text, at + 1)) {
        const void* cr = std::memchr(text.data() + at, '\r', text.size() - at);
        const size_t end = cr ? static_cast<size_t>(static_cast<const char*>(cr) - text.data()) : text.size();
        const std::string_view line = text.substr(at, end - at);
        const std::string_view key = Line::keyOf(line);
        if (!prefixed(key) || !wanted(key)) continue;
        record.parse(line);
        const LineEdit action = edit(record);
        if (action == LineEdit::Keep) continue;
        // The edit takes the line's CR LF with it, if it has one.
        const uint64_t begin = offset + at;
        const uint64_t through = offset + std::min(end + 2, text.size());
        if (action == LineEdit::Erase) {
          edits_.push_back({begin, through, {}, true});
        } else {
          record.compose();
          edits_.push_back({begin, through, own(record.text), false});
        }
      }
      return text.size();
    });
  }

  // Composes `record` and adds its text as the new last line.
  void append(Line record) {
    loadSaved();
    record.compose();
    appendOwned(own(std::move(record.text)));
  }

  void appendLine(std::string text) {
    loadSaved();
    appendOwned(own(std::move(text)));
  }

  // A copy of the lines, first to last.
  std::vector<std::string> lines() {
    cutLinesNow("lines");
    return std::vector<std::string>(lines_.begin(), lines_.end());
  }
  size_t size() {
    cutLinesNow("size");
    return lines_.size();
  }
  bool empty() { return size() == 0; }

 private:
  // A line of the block of text that a walk stored or erased: its bytes and
  // its line break, [begin, end) in the file.
  struct NotedEdit {
    uint64_t begin;
    uint64_t end;
    std::string_view text;
    bool erased;
  };

  static std::string functionName(std::string_view member) {
    std::string name = "vtextfile<" + Line::typeName() + " >::";
    name += member;
    return name;
  }

  // The prefixes to search the block of text for, to find the lines that
  // begin with one of `prefixes`. A prefix that begins with another one is not
  // searched for: its lines are among the other's.
  static std::vector<std::string_view> searchedPrefixes(std::vector<std::string_view> prefixes) {
    // Sorted, the prefixes that begin with a prefix come right after it.
    std::sort(prefixes.begin(), prefixes.end());
    std::vector<std::string_view> searched;
    for (std::string_view prefix : prefixes) {
      if (searched.empty() || prefix.substr(0, searched.back().size()) != searched.back()) searched.push_back(prefix);
    }
    return searched;
  }

  // Calls visit(line) for each line of the block of text `text` with the
  // edits noted and the lines appended, first to last.
  template <class Visit>
  void forEachLine(std::string_view text, Visit&& visit) const {
    auto edit = edits_.begin();
    auto onLine = [&](size_t begin, size_t end) {
      if (edit != edits_.end() && edit->begin == begin) {
        if (!edit->erased) visit(edit->text);
        ++edit;
        return;
      }
      visit(text.substr(begin, end - begin));
    };
    LineCutter cutter;
    cutter.feed(text, onLine);
    cutter.finish(onLine);
    for (std::string_view line : appended_) visit(line);
  }

  // Turns the block of text and its noted edits into the list of lines,
  // reading the file whole.
  void cutLines(const char* function) {
    if (cut_) return;
    if (reader_.hasFile()) {
      reader_.readWhole(text_, function);
      reader_ = TextFileReader();
    }
    std::vector<std::string_view> lines;
    forEachLine(text_.view(), [&lines](std::string_view line) { lines.push_back(line); });
    lines_ = std::move(lines);
    edits_.clear();
    appended_.clear();
    cut_ = true;
  }

  // The same, first loading what a save wrote; `member` is the caller.
  void cutLinesNow(std::string_view member) {
    loadSaved();
    if (!cut_) cutLines(functionName(member).c_str());
  }

  // After a save of a block of text: the lines are those of the file written.
  void loadSaved() {
    if (!savedTo_.empty()) load(std::wstring(savedTo_));
  }

  void clear() {
    reader_ = TextFileReader();
    text_.clear();
    size_ = 0;
    endsWithBreak_ = false;
    edits_.clear();
    appended_.clear();
    owned_.clear();
    lines_.clear();
    cut_ = false;
    savedTo_.clear();
  }

  void appendOwned(std::string_view line) { (cut_ ? lines_ : appended_).push_back(line); }

  // Keeps the text of a stored or appended line; a deque never moves the
  // strings it holds, so views of them stay valid.
  std::string_view own(std::string text) { return owned_.emplace_back(std::move(text)); }

  TextFileReader reader_;                   // while not cut: the loaded file, kept open
  uint64_t size_ = 0;                       // while not cut: the file's size when loaded
  bool endsWithBreak_ = false;              // while not cut: whether its last byte is an LF
  std::wstring savedTo_;                    // after a save of the block: the file that holds the lines
  LoadedText text_;                         // once cut: the bytes of the loaded file
  bool cut_ = false;                        // whether lines_ holds the lines
  std::vector<NotedEdit> edits_;            // while not cut: the lines walks changed, in order
  std::vector<std::string_view> appended_;  // while not cut: the lines appended since
  std::deque<std::string> owned_;           // lines stored or appended since the load
  std::vector<std::string_view> lines_;     // once cut: views into text_ and owned_
};

}  // namespace wc
