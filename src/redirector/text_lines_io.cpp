#include "redirector/text_lines_io.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/errors/os_error.h"
#include "base/files/atomic_write.h"
#include "base/files/file.h"
#include "base/log/log.h"

namespace wc {

namespace {

// A file read whole goes into a buffer of its size (one byte more, so the
// read that finds the end needs no room of its own), or of this size when the
// size is unknown, which doubles when full.
constexpr size_t kFirstRead = 64 * 1024;
constexpr size_t kLargestRead = 64 * 1024 * 1024;
// Room beyond a piece in the piece buffer, for the bytes held from the piece
// before (a line cut short), so that it rarely has to grow.
constexpr size_t kHeldRoom = 64 * 1024;
// Pieces are gathered up to about this size; larger ones are written at once.
constexpr size_t kWriteBuffer = 256 * 1024;

std::wstring quoted(const wchar_t* before, const std::wstring& path, const wchar_t* after) {
  return before + path + after;
}

}  // namespace

void LoadedText::reserveMore(size_t room) {
  if (capacity_ - size_ >= room) return;
  const size_t capacity = std::max(size_ + room, 2 * capacity_);
  // new char[] without an initialiser leaves the bytes as they are.
  std::unique_ptr<char[]> bytes(new char[capacity]);
  if (size_ > 0) std::memcpy(bytes.get(), bytes_.get(), size_);
  bytes_ = std::move(bytes);
  capacity_ = capacity;
}

void readTextFile(const std::wstring& path, LoadedText& text, const char* function) {
  text.clear();
  TextFileReader reader;
  reader.open(path, function);
  reader.readWhole(text, function);
}

TextFileReader::TextFileReader() : file_(std::make_unique<File>()) {}
TextFileReader::~TextFileReader() = default;
TextFileReader::TextFileReader(TextFileReader&&) noexcept = default;
TextFileReader& TextFileReader::operator=(TextFileReader&&) noexcept = default;

void TextFileReader::open(const std::wstring& path, const char* function) {
  const uint32_t opened = file_->open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS | FILE_SHARE_DELETE_ACCESS,
                                      FileDisposition::OpenExisting);
  if (opened != ERROR_SUCCESS)
    throwOsError(quoted(L"Open file '", path, L"' to read"), opened, VCALLPOINT(L"", function));
  path_ = path;
  FileIdentity identity;
  identity_ = file_->identity(identity) == ERROR_SUCCESS ? std::optional(identity) : std::nullopt;
}

void TextFileReader::close() { file_->close(); }

void TextFileReader::readWhole(LoadedText& text, const char* function) {
  text.clear();
  // A buffer of the right size at once: growing it by doubling would hold
  // the old and the new buffer together, half again the file's size.
  uint64_t end = 0;
  const bool sized = opened(function).seekToEnd(end) == ERROR_SUCCESS && end > 0;
  text.reserveMore(sized ? static_cast<size_t>(end) + 1 : kFirstRead);
  for (;;) {
    if (text.size_ == text.capacity_) text.reserveMore(text.capacity_);
    const size_t got = readAt(text.size_, text.bytes_.get() + text.size_, text.capacity_ - text.size_, function);
    if (got == 0) break;
    text.size_ += got;
  }
}

size_t TextFileReader::readAt(uint64_t offset, char* buffer, size_t size, const char* function) {
  if (size == 0) return 0;
  File& file = opened(function);
  size_t done = 0;
  while (done < size) {
    const uint32_t room = static_cast<uint32_t>(std::min(size - done, kLargestRead));
    uint32_t got = 0;
    const uint32_t code = file.readAt(offset + done, buffer + done, room, got);
    if (code != ERROR_SUCCESS) throwReadFailure(code, function);
    done += got;
    if (got < room) break;
  }
  return done;
}

File& TextFileReader::opened(const char* function) {
  if (file_->isOpen()) return *file_;
  // Opened again after close(): another process may have replaced or
  // rewritten the file meanwhile, and the offsets of what was read before
  // would then cut it wrong.
  const std::optional<FileIdentity> first = identity_;
  open(path_, function);
  if (first && (!identity_ || !identity_->isSameFileAs(*first) || identity_->size != first->size)) {
    file_->close();
    identity_ = first;  // a later read is refused as well
    throwReadFailure(ERROR_FILE_INVALID, function);
  }
  return *file_;
}

char* TextFileReader::roomAfter(size_t held, size_t wanted) {
  piece_.size_ = held;
  // The first piece makes room for what later pieces hold over, too.
  piece_.reserveMore(piece_.capacity_ == 0 ? wanted + kHeldRoom : wanted);
  return piece_.bytes_.get() + held;
}

void TextFileReader::throwReadFailure(uint32_t code, const char* function) const {
  throwOsError(quoted(L"Read from file '", path_, L"'"), code, VCALLPOINT(L"", function));
}

void TextFileReader::throwEndedEarly(const char* function) const { throwReadFailure(ERROR_HANDLE_EOF, function); }

TextFileWriter::TextFileWriter(const Context& context, const std::wstring& path, const char* function,
                               bool keepExisting)
    : file_(std::make_unique<File>()), keepExisting_(keepExisting), path_(path), function_(function) {
  replacement_ = std::make_unique<FileReplacement>(context, path);
  const uint32_t opened =
      file_->open(replacement_->temporary(), FILE_ACCESS_WRITE, FILE_SHARE_READ_ACCESS, FileDisposition::CreateAlways);
  if (opened != ERROR_SUCCESS)
    throwOsError(quoted(L"Open file '", path, L"' to write"), opened, VCALLPOINT(L"", function));
  buffer_.reserve(kWriteBuffer);
}

// A writer that was not finished failed on the way: the file closes before
// the replacement removes it, and the old file stays.
TextFileWriter::~TextFileWriter() { file_.reset(); }

void TextFileWriter::writeLine(std::string_view line) {
  if (buffer_.size() + line.size() + 2 > kWriteBuffer) {
    flush();
    if (line.size() + 2 > kWriteBuffer) {
      writeToFile(line);
      line = {};
    }
  }
  buffer_.append(line);
  buffer_.append("\r\n", 2);
}

void TextFileWriter::writeBytes(std::string_view bytes) {
  if (buffer_.size() + bytes.size() <= kWriteBuffer) {
    buffer_.append(bytes);
    return;
  }
  flush();
  writeToFile(bytes);
}

void TextFileWriter::finish() {
  flush();
  // Some file systems report a failed write only when the file is flushed or
  // closed.
  uint32_t error = file_->flush();
  const uint32_t closed = file_->close();
  if (error == ERROR_SUCCESS) error = closed;
  if (error != ERROR_SUCCESS) throwOsError(quoted(L"Write to file '", path_, L"'"), error, VCALLPOINT(L"", function_));
  using Placing = FileReplacement::Placing;
  const FileReplacement::Placed placed =
      replacement_->putInPlace(nullptr, keepExisting_ ? Placing::KeepExisting : Placing::ReplaceOrWriteInPlace);
  if (placed == FileReplacement::Placed::WrittenInPlace) {
    logMessage(LOG_WARNING, L"Another process holds '%s' open: it was written in place, not replaced", path_);
  }
}

void TextFileWriter::flush() {
  writeToFile(buffer_);
  buffer_.clear();
}

void TextFileWriter::writeToFile(std::string_view bytes) {
  while (!bytes.empty()) {
    const uint32_t piece =
        static_cast<uint32_t>(std::min<size_t>(bytes.size(), std::numeric_limits<uint32_t>::max() / 2));
    uint32_t written = 0;
    const uint32_t code = file_->write(bytes.data(), piece, written);
    if (code != ERROR_SUCCESS) throwOsError(quoted(L"Write to file '", path_, L"'"), code, VCALLPOINT(L"", function_));
    if (written != piece) throw vexception(quoted(L"Write to file '", path_, L"' failed"), VCALLPOINT(L"", function_));
    bytes.remove_prefix(piece);
  }
}

}  // namespace wc
