#include "base/files/file_system.h"

#include <algorithm>
#include <memory>

#include "base/errors/win_error_codes.h"

namespace wc {

namespace {

// Writes all of `bytes`, in calls the size a call takes.
uint32_t writeAll(File& file, std::string_view bytes) {
  while (!bytes.empty()) {
    const uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(bytes.size(), 1u << 30));
    uint32_t written = 0;
    if (uint32_t error = file.write(bytes.data(), chunk, written)) return error;
    bytes.remove_prefix(written);
  }
  return ERROR_SUCCESS;
}

}  // namespace

uint32_t FileSystem::replaceFile(const std::wstring& replaced, const std::wstring& replacement) {
  return moveFile(replacement, replaced, MOVE_REPLACE_EXISTING);
}

uint32_t FileSystem::createDirectoryLike(const std::wstring& path, const std::wstring& model) {
  if (uint32_t error = createDirectory(path, nullptr)) return error;
  const uint32_t error = copySecurity(model, path);
  if (error != ERROR_SUCCESS) removeDirectory(path);
  return error;
}

uint32_t FileSystem::readFile(const std::wstring& path, std::string& content) {
  content.clear();
  File file;
  if (uint32_t error = file.open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting)) {
    return error;
  }
  char buffer[64 * 1024];
  for (;;) {
    uint32_t got = 0;
    if (uint32_t error = file.read(buffer, sizeof buffer, got)) return error;
    if (got == 0) break;
    content.append(buffer, got);
  }
  return file.close();
}

uint32_t FileSystem::writeFile(const std::wstring& path, std::string_view content, FileDisposition disposition,
                               bool durable) {
  File file;
  if (uint32_t error = file.open(path, FILE_ACCESS_WRITE, FILE_SHARE_READ_ACCESS, disposition)) return error;
  if (uint32_t error = writeAll(file, content)) return error;
  if (durable) {
    if (uint32_t error = file.flush()) return error;
  }
  return file.close();
}

uint32_t FileSystem::writeFileFrom(const std::wstring& to, const std::wstring& from) {
  File source;
  if (uint32_t error = source.open(from, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting)) {
    return error;
  }
  File target;
  if (uint32_t error = target.open(to, FILE_ACCESS_WRITE, FILE_SHARE_READ_ACCESS, FileDisposition::CreateAlways)) {
    return error;
  }
  // A piece at a time: the file may be a uriworkermap.properties of a
  // hundred megabytes.
  constexpr uint32_t kPiece = 1u << 20;
  const std::unique_ptr<char[]> piece(new char[kPiece]);
  for (;;) {
    uint32_t got = 0;
    if (uint32_t error = source.read(piece.get(), kPiece, got)) return error;
    if (got == 0) break;
    if (uint32_t error = writeAll(target, std::string_view(piece.get(), got))) return error;
  }
  if (uint32_t error = target.flush()) return error;
  if (uint32_t error = target.close()) return error;
  return source.close();
}

}  // namespace wc
