#pragma once
// A text file held as an ordered list of 8-bit lines, edited in place so that
// every line an edit does not address survives byte for byte.
//
// Every edit follows one pattern: load the file, walk its lines (rewriting or
// erasing those whose key matters), append what is missing, save the file.
// Lines are stored without their breaks; the bytes are never converted.
//
// A loaded file whose breaks are already those a save writes (CR LF after
// every line, no blank lines) stays one block of text: a walk over the lines
// whose keys begin with given prefixes finds them by searching the text,
// edits are noted beside it, and a save writes the untouched stretches as
// they were read. Any other walk, and a file in another form, cuts the text
// into lines first, which view the loaded bytes; only lines that an edit
// stores or appends own their text.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "panel/property_lines.h"
#include "redirector/saved_form.h"
#include "redirector/substring_finder.h"
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
    text_.clear();
    edits_.clear();
    appended_.clear();
    lines_.clear();
    owned_.clear();
    cut_ = false;
    try {
      readTextFile(path, text_, functionName("load").c_str());
    } catch (...) {
      cutLines();
      throw;
    }
    if (!isInSavedForm(text_.view())) cutLines();
  }

  // Writes every line followed by CR LF, replacing the file's contents.
  void save(const Context& context, const std::wstring& path) const {
    const std::string function = functionName("save");  // the writer keeps the pointer
    TextFileWriter writer(context, path, function.c_str());
    if (cut_) {
      for (std::string_view line : lines_) writer.writeLine(line);
    } else {
      const std::string_view text = text_.view();
      size_t copied = 0;
      for (const NotedEdit& edit : edits_) {
        writer.writeBytes(text.substr(copied, edit.begin - copied));
        if (!edit.erased) writer.writeLine(edit.text);
        copied = edit.end;
      }
      writer.writeBytes(text.substr(copied));
      if (copied < text.size() && text.back() != '\n') writer.writeBytes("\r\n");
      for (std::string_view line : appended_) writer.writeLine(line);
    }
    writer.finish();
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
    cutLines();
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
    const std::string_view text = text_.view();
    Line record;
    for (size_t begin : lineStartsWith(prefixes)) {
      const void* cr = std::memchr(text.data() + begin, '\r', text.size() - begin);
      const size_t end = cr ? static_cast<size_t>(static_cast<const char*>(cr) - text.data()) : text.size();
      const std::string_view line = text.substr(begin, end - begin);
      const std::string_view key = Line::keyOf(line);
      if (!prefixed(key) || !wanted(key)) continue;
      record.parse(line);
      const LineEdit action = edit(record);
      if (action == LineEdit::Keep) continue;
      // The edit takes the line's CR LF with it, if it has one.
      const size_t through = std::min(end + 2, text.size());
      if (action == LineEdit::Erase) {
        edits_.push_back({begin, through, {}, true});
      } else {
        record.compose();
        edits_.push_back({begin, through, own(record.text), false});
      }
    }
  }

  // Composes `record` and adds its text as the new last line.
  void append(Line record) {
    record.compose();
    appendOwned(own(std::move(record.text)));
  }

  void appendLine(std::string text) { appendOwned(own(std::move(text))); }

  // A copy of the lines, first to last.
  std::vector<std::string> lines() const {
    std::vector<std::string> copy;
    forEachLine([&copy](std::string_view line) { copy.emplace_back(line); });
    return copy;
  }
  size_t size() const {
    size_t count = 0;
    forEachLine([&count](std::string_view) { ++count; });
    return count;
  }
  bool empty() const { return size() == 0; }

 private:
  // A line of the block of text that a walk stored or erased: its bytes and
  // its line break, [begin, end) in the text.
  struct NotedEdit {
    size_t begin;
    size_t end;
    std::string_view text;
    bool erased;
  };

  static std::string functionName(std::string_view member) {
    std::string name = "vtextfile<" + Line::typeName() + " >::";
    name += member;
    return name;
  }

  // Where the lines that begin with one of `prefixes` begin in the block of
  // text, first to last, found in one pass. A prefix that begins with another
  // one is not searched for: its lines are among the other's.
  std::vector<size_t> lineStartsWith(std::vector<std::string_view> prefixes) const {
    // Sorted, the prefixes that begin with a prefix come right after it.
    std::sort(prefixes.begin(), prefixes.end());
    std::vector<std::string_view> searched;
    for (std::string_view prefix : prefixes) {
      if (searched.empty() || prefix.substr(0, searched.back().size()) != searched.back()) searched.push_back(prefix);
    }
    const std::string_view text = text_.view();
    std::vector<size_t> starts;
    if (searched.empty()) return starts;
    const SubstringFinder finder(searched);
    for (size_t at = finder.findAtLineStart(text); at != std::string_view::npos;
         at = finder.findAtLineStart(text, at + 1)) {
      starts.push_back(at);
    }
    return starts;
  }

  // Calls visit(line) for each line, first to last.
  template <class Visit>
  void forEachLine(Visit&& visit) const {
    if (cut_) {
      for (std::string_view line : lines_) visit(line);
      return;
    }
    const std::string_view text = text_.view();
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

  // Turns the block of text and its noted edits into the list of lines.
  void cutLines() {
    if (cut_) return;
    std::vector<std::string_view> lines;
    forEachLine([&lines](std::string_view line) { lines.push_back(line); });
    lines_ = std::move(lines);
    edits_.clear();
    appended_.clear();
    cut_ = true;
  }

  void appendOwned(std::string_view line) { (cut_ ? lines_ : appended_).push_back(line); }

  // Keeps the text of a stored or appended line; a deque never moves the
  // strings it holds, so views of them stay valid.
  std::string_view own(std::string text) { return owned_.emplace_back(std::move(text)); }

  LoadedText text_;                         // the bytes of the loaded file
  bool cut_ = false;                        // whether lines_ holds the lines
  std::vector<NotedEdit> edits_;            // while not cut: the lines walks changed, in order
  std::vector<std::string_view> appended_;  // while not cut: the lines appended since
  std::deque<std::string> owned_;           // lines stored or appended since the load
  std::vector<std::string_view> lines_;     // once cut: views into text_ and owned_
};

}  // namespace wc
