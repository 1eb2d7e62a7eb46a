#include "redirector/text_lines_io.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

#include "base/errors/os_error.h"
#include "base/files/file.h"
#include "redirector/line_splitter.h"

namespace {

constexpr uint32_t kReadChunk = 4096;
// Lines are gathered into one buffer and written in pieces of about this size.
constexpr size_t kWriteBuffer = 64 * 1024;

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

  void append(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kWriteBuffer) flush();
    if (bytes.size() > kWriteBuffer) {
      writeAll(bytes);
      return;
    }
    buffer_.append(bytes);
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

}  // namespace

void readTextLines(const std::wstring& path, std::vector<std::string>& lines, const char* function) {
  File file;
  const uint32_t opened = file.open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS | FILE_SHARE_DELETE_ACCESS,
                                    FileDisposition::OpenExisting);
  if (opened != ERROR_SUCCESS)
    throwOsError(quoted(L"Open file '", path, L"' to read"), opened, VCALLPOINT(L"", function));

  LineSplitter splitter(lines);
  std::array<char, kReadChunk> chunk;
  for (;;) {
    uint32_t got = 0;
    const uint32_t code = file.read(chunk.data(), kReadChunk, got);
    if (code == ERROR_HANDLE_EOF) break;
    if (code != ERROR_SUCCESS) throwOsError(quoted(L"Read from file '", path, L"'"), code, VCALLPOINT(L"", function));
    if (got == 0) break;
    splitter.feed(std::string_view(chunk.data(), got));
  }
  splitter.finish();
  // The file was only read: a failure to close it loses nothing.
  file.close();
}

void writeTextLines(const std::wstring& path, const std::vector<std::string>& lines, const char* function) {
  File file;
  const uint32_t opened = file.open(path, FILE_ACCESS_WRITE, FILE_SHARE_READ_ACCESS | FILE_SHARE_DELETE_ACCESS,
                                    FileDisposition::CreateAlways);
  if (opened != ERROR_SUCCESS)
    throwOsError(quoted(L"Open file '", path, L"' to write"), opened, VCALLPOINT(L"", function));

  BufferedWriter writer(file, path, function);
  for (const std::string& line : lines) {
    writer.append(line);
    writer.append("\r\n");
  }
  writer.flush();
  // Some file systems report a failed write only when the file is closed.
  const uint32_t closed = file.close();
  if (closed != ERROR_SUCCESS) throwOsError(quoted(L"Write to file '", path, L"'"), closed, VCALLPOINT(L"", function));
}
