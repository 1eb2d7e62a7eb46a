#pragma once
// Reading a text file whole and writing one anew, for vtextfile.
// `function` names the caller in the call point of a failure.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "base/system/context.h"

namespace wc {

class File;
class FileReplacement;

// The bytes of a file read whole. The buffer is not filled with zeros before
// the file's bytes go into it.
class LoadedText {
 public:
  std::string_view view() const { return {bytes_.get(), size_}; }
  void clear() {
    bytes_.reset();
    size_ = 0;
    capacity_ = 0;
  }

 private:
  friend void readTextFile(const std::wstring& path, LoadedText& text, const char* function);
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
