#pragma once
// Reading a text file, whole or in pieces from a handle kept open, and writing
// one anew, for vtextfile. `function` names the caller in the call point of a
// failure.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/files/same_file.h"
#include "base/system/context.h"

namespace wc {

class File;
class FileReplacement;

// The bytes of a file read whole, or of the pieces a TextFileReader holds.
// The buffer is not filled with zeros before the file's bytes go into it.
class LoadedText {
 public:
  std::string_view view() const { return {bytes_.get(), size_}; }
  void clear() {
    bytes_.reset();
    size_ = 0;
    capacity_ = 0;
  }

 private:
  friend class TextFileReader;
  // Makes room for at least `room` more bytes, keeping those read.
  void reserveMore(size_t room);

  std::unique_ptr<char[]> bytes_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// Replaces `text` with the bytes of the file at `path`. Throws the OS-error
// exception of "Open file '<path>' to read" or "Read from file '<path>'"; on a
// failed read `text` holds the bytes read before it.
void readTextFile(const std::wstring& path, LoadedText& text, const char* function);

// How much of a file a TextFileReader reads at a time.
constexpr size_t kTextPiece = size_t{1} << 20;

// A file opened for reading, shared for reading and deletion, and kept open
// so that it can be read again at any offset: whole, or in pieces, so that a
// large file is never held in memory. Reads throw the OS-error exception of
// "Read from file '<path>'", also when the file ends before a range that
// was asked for, and when the file opened again after close() is another
// one or of another size than at first (ERROR_FILE_INVALID): what was read
// of it before would no longer hold.
class TextFileReader {
 public:
  // Read to the end of the file, wherever it is.
  static constexpr uint64_t kToEnd = std::numeric_limits<uint64_t>::max();
  // What a piece's consumer answers to end the reading.
  static constexpr size_t kStopReading = std::numeric_limits<size_t>::max();

  TextFileReader();
  ~TextFileReader();
  TextFileReader(TextFileReader&&) noexcept;
  TextFileReader& operator=(TextFileReader&&) noexcept;

  // Throws the OS-error exception of "Open file '<path>' to read".
  void open(const std::wstring& path, const char* function);
  // Whether a file was opened (it may be closed since).
  bool hasFile() const { return !path_.empty(); }
  // Closes the file; the next read opens it again, by its path. The file was
  // only read: a failure to close it loses nothing.
  void close();

  // Replaces `text` with the file's bytes, first to last.
  void readWhole(LoadedText& text, const char* function);

  // Reads the bytes [from, to) in pieces of kTextPiece bytes and calls
  // consume(bytes, offset, last) after each: `bytes` are those held from file
  // offset `offset` on, `last` says whether they reach `to`. The consumer
  // answers how many of the first bytes it is done with; the others are held
  // again before the next piece (a line cut by a piece's end, say).
  template <class Consume>
  void readPieces(uint64_t from, uint64_t to, const char* function, Consume&& consume) {
    size_t held = 0;
    for (bool last = false; !last;) {
      const size_t wanted = static_cast<size_t>(std::min<uint64_t>(kTextPiece, to - from - held));
      const size_t got = readAt(from + held, roomAfter(held, wanted), wanted, function);
      if (got < wanted && to != kToEnd) throwEndedEarly(function);
      held += got;
      last = got < wanted || from + held == to;
      const size_t done = consume(std::string_view(piece_.bytes_.get(), held), from, last);
      if (done == kStopReading) return;
      std::memmove(piece_.bytes_.get(), piece_.bytes_.get() + done, held - done);
      held -= done;
      from += done;
    }
  }

 private:
  // The file, opened again if it was closed.
  File& opened(const char* function);
  // Reads up to `size` bytes at `offset`, fewer only where the file ends.
  size_t readAt(uint64_t offset, char* buffer, size_t size, const char* function);
  // Where `wanted` bytes go after the `held` first bytes of the piece buffer,
  // which grows to take them.
  char* roomAfter(size_t held, size_t wanted);
  [[noreturn]] void throwReadFailure(uint32_t code, const char* function) const;
  // The file is shorter than when it was read before.
  [[noreturn]] void throwEndedEarly(const char* function) const;

  std::unique_ptr<File> file_;
  std::wstring path_;
  std::optional<FileIdentity> identity_;  // the file's when first opened, where the system tells it
  LoadedText piece_;                      // the bytes read and held; its size is set by each read
};

// Writes the file at `path` anew so that it is never seen cut short: the bytes
// go to a temporary file beside it (the constructor creates it), which is
// flushed and put in the file's place (atomic_write.h) when finished. The
// redirector and the web server read these files at any time: where one holds
// the file open without delete sharing, so that Windows refuses the
// replacement for a second, the bytes are written into the file in place and a
// Warning names it. With `keepExisting` an existing file stays as it is.
// `path` and `function` must outlive the writer. Small pieces are gathered and
// written together; large ones go to the file as they are.
// Throws the OS-error exception of "Open file '<path>' to write" or "Write to
// file '<path>'", or a vexception "Write to file '<path>' failed" when a write
// takes fewer bytes than it was given; the file is then as it was.
class TextFileWriter {
 public:
  TextFileWriter(const Context& context, const std::wstring& path, const char* function, bool keepExisting = false);
  ~TextFileWriter();
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  // The line followed by CR LF.
  void writeLine(std::string_view line);
  void writeBytes(std::string_view bytes);
  // Writes what is gathered and puts the file in place (or, with
  // `keepExisting`, leaves a file that is there); call once after the last
  // piece.
  void finish();

 private:
  void flush();
  void writeToFile(std::string_view bytes);

  std::unique_ptr<FileReplacement> replacement_;
  std::unique_ptr<File> file_;
  bool keepExisting_;
  const std::wstring& path_;
  const char* function_;
  std::string buffer_;
};

}  // namespace wc
