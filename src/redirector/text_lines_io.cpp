#include "redirector/text_lines_io.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "base/errors/os_error.h"
#include "base/files/file.h"
#include "redirector/line_splitter.h"

namespace {

// The buffer of a file being read starts at its size (one byte more, so the
// read that finds the end needs no room of its own) or at this size when the
// size is unknown, and doubles when full.
constexpr size_t kFirstRead = 64 * 1024;
constexpr size_t kLargestRead = 64 * 1024 * 1024;
// Lines are gathered into one buffer and written in pieces of about this size.
constexpr size_t kWriteBuffer = 256 * 1024;

std::wstring quoted(const wchar_t* before, const std::wstring& path, const wchar_t* after) {
  return before + path + after;
}

// Collects the bytes to write and hands them to the file in large pieces. A
// failed write names the file the way a failed write of a single line would.
class BufferedWriter {
 public:
  BufferedWriter(File& file, const std::wstring& path, const char* function)
      : file_(file), path_(path), function_(function) {
    buffer_.reserve(kWriteBuffer);
  }

  // Appends the line and its CR LF.
  void appendLine(std::string_view line) {
    if (buffer_.size() + line.size() + 2 > kWriteBuffer) {
      flush();
      if (line.size() + 2 > kWriteBuffer) {
        writeAll(line);
        line = {};
      }
    }
    buffer_.append(line);
    buffer_.append("\r\n", 2);
  }

  void flush() {
    writeAll(buffer_);
    buffer_.clear();
  }

 private:
  void writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
      const uint32_t piece =
          static_cast<uint32_t>(std::min<size_t>(bytes.size(), std::numeric_limits<uint32_t>::max() / 2));
      uint32_t written = 0;
      const uint32_t code = file_.write(bytes.data(), piece, written);
      if (code != ERROR_SUCCESS)
        throwOsError(quoted(L"Write to file '", path_, L"'"), code, VCALLPOINT(L"", function_));
      if (written != piece)
        throw vexception(quoted(L"Write to file '", path_, L"' failed"), VCALLPOINT(L"", function_));
      bytes.remove_prefix(piece);
    }
  }

  File& file_;
  const std::wstring& path_;
  const char* function_;
  std::string buffer_;
};

// The size of the file at `path` as a second handle sees it, or 0 when that
// handle cannot tell; the reading handle reports the failures.
size_t sizeHint(const std::wstring& path) {
  File probe;
  uint64_t end = 0;
  if (probe.open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS | FILE_SHARE_DELETE_ACCESS,
                 FileDisposition::OpenExisting) != ERROR_SUCCESS ||
      probe.seekToEnd(end) != ERROR_SUCCESS)
    return 0;
  return static_cast<size_t>(end);
}

}  // namespace

void readTextLines(const std::wstring& path, std::string& text, std::vector<std::string_view>& lines,
                   const char* function) {
  File file;
  const uint32_t opened = file.open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS | FILE_SHARE_DELETE_ACCESS,
                                    FileDisposition::OpenExisting);
  if (opened != ERROR_SUCCESS)
    throwOsError(quoted(L"Open file '", path, L"' to read"), opened, VCALLPOINT(L"", function));

  // The whole file goes into one buffer, which the lines then view; it is
  // cut only once every byte is in, so the sizes of the reads cannot matter.
  LineCutter cutter;
  auto addLine = [&](size_t begin, size_t end) { lines.emplace_back(text.data() + begin, end - begin); };
  size_t size = 0;
  // A buffer of the right size at once: growing it by doubling would hold
  // the old and the new buffer together, half again the file's size.
  const size_t hint = sizeHint(path);
  text.resize(hint > 0 ? hint + 1 : kFirstRead);
  for (;;) {
    if (size == text.size()) text.resize(2 * size);
    const uint32_t room = static_cast<uint32_t>(std::min<size_t>(text.size() - size, kLargestRead));
    uint32_t got = 0;
    const uint32_t code = file.read(text.data() + size, room, got);
    if (code == ERROR_HANDLE_EOF || (code == ERROR_SUCCESS && got == 0)) break;
    if (code != ERROR_SUCCESS) {
      text.resize(size);
      cutter.feed(text, addLine);
      throwOsError(quoted(L"Read from file '", path, L"'"), code, VCALLPOINT(L"", function));
    }
    size += got;
  }
  text.resize(size);
  cutter.feed(text, addLine);
  cutter.finish(addLine);
  // The file was only read: a failure to close it loses nothing.
  file.close();
}

void writeTextLines(const std::wstring& path, const std::vector<std::string_view>& lines, const char* function) {
  File file;
  const uint32_t opened = file.open(path, FILE_ACCESS_WRITE, FILE_SHARE_READ_ACCESS | FILE_SHARE_DELETE_ACCESS,
                                    FileDisposition::CreateAlways);
  if (opened != ERROR_SUCCESS)
    throwOsError(quoted(L"Open file '", path, L"' to write"), opened, VCALLPOINT(L"", function));

  BufferedWriter writer(file, path, function);
  for (std::string_view line : lines) writer.appendLine(line);
  writer.flush();
  // Some file systems report a failed write only when the file is closed.
  const uint32_t closed = file.close();
  if (closed != ERROR_SUCCESS) throwOsError(quoted(L"Write to file '", path, L"'"), closed, VCALLPOINT(L"", function));
}
