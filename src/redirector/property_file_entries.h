#pragma once
// The entries of a property file read in pieces, for a reader that looks at
// each entry once: a file of tens of MiB is never held in memory whole.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "panel/property_lines.h"
#include "redirector/text_lines_io.h"

namespace wc {

// Calls onEntry(entry) for each entry of the file at `path`, as
// forEachPropertyEntry gives those of its whole text. An entry views the piece
// at hand: it is gone when onEntry returns. Throws the OS-error exception of
// "Open file '<path>' to read" or "Read from file '<path>'" (`function` names
// the caller).
template <class OnEntry>
void forEachPropertyEntryIn(const std::wstring& path, const char* function, OnEntry&& onEntry) {
  TextFileReader reader;
  reader.open(path, function);
  LineCutter cutter;
  PropertyEntry entry;
  std::string_view piece;
  uint64_t pieceOffset = 0;
  auto onLine = [&](size_t begin, size_t end) {
    const std::string_view line = piece.substr(static_cast<size_t>(begin - pieceOffset), end - begin);
    if (propertyEntryOf(line, cutter.lineNumber(), entry)) onEntry(std::as_const(entry));
  };
  // A piece begins with the line that the piece before left unfinished: the
  // cutter is fed only the bytes it has not seen.
  reader.readPieces(0, TextFileReader::kToEnd, function, [&](std::string_view bytes, uint64_t offset, bool last) {
    piece = bytes;
    pieceOffset = offset;
    cutter.feed(bytes.substr(static_cast<size_t>(cutter.fed() - offset)), onLine);
    if (last) cutter.finish(onLine);
    return static_cast<size_t>(cutter.pendingStart() - offset);
  });
}

}  // namespace wc
