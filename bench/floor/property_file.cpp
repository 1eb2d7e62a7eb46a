#include "floor/property_file.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace floorwork {

PropertyFile PropertyFile::load(const std::string& path) {
  PropertyFile file;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  in.seekg(0, std::ios::end);
  file.bytes_.resize(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(file.bytes_.data(), static_cast<std::streamsize>(file.bytes_.size()));
  if (!in) throw std::runtime_error("cannot read " + path);

  // A plain byte loop: std::string_view::find_first_of with a two-byte set
  // costs a library call per byte.
  const char* p = file.bytes_.data();
  const char* const end = p + file.bytes_.size();
  auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
  while (p < end) {
    const char* lineEnd = p;
    while (lineEnd < end && !isBreak(*lineEnd)) ++lineEnd;
    file.lines_.emplace_back(p, static_cast<size_t>(lineEnd - p));
    p = lineEnd;
    while (p < end && isBreak(*p)) ++p;
  }
  return file;
}

void PropertyFile::save(const std::string& path) const {
  size_t size = 0;
  for (std::string_view line : lines_) size += line.size() + 2;
  std::string out;
  out.reserve(size);
  for (std::string_view line : lines_) {
    out += line;
    out += "\r\n";
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(out.data(), static_cast<std::streamsize>(out.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::string_view PropertyFile::own(std::string text) { return owned_.emplace_back(std::move(text)); }

namespace {
// The first '=' or '#' of the line, or its size.
size_t firstSeparator(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] != '=' && line[i] != '#') ++i;
  return i;
}
}  // namespace

std::string_view keyOf(std::string_view line) {
  size_t cut = firstSeparator(line);
  return cut == line.size() ? std::string_view() : line.substr(0, cut);
}

std::string_view valueOf(std::string_view line) {
  size_t cut = firstSeparator(line);
  if (cut == line.size() || line[cut] != '=') return {};
  return line.substr(cut + 1);
}

namespace {
std::vector<std::string_view> splitList(std::string_view list) {
  std::vector<std::string_view> items;
  size_t begin = 0;
  while (begin <= list.size()) {
    size_t end = list.find(',', begin);
    if (end == std::string_view::npos) end = list.size();
    if (end > begin) items.push_back(list.substr(begin, end - begin));
    begin = end + 1;
  }
  return items;
}

std::string joinList(const std::vector<std::string_view>& items) {
  std::string out;
  for (std::string_view item : items) {
    if (!out.empty()) out += ',';
    out += item;
  }
  return out;
}
}  // namespace

std::string addListItem(std::string_view list, std::string_view item) {
  std::vector<std::string_view> items = splitList(list);
  bool present = false;
  for (std::string_view existing : items) present = present || existing == item;
  if (!present) items.push_back(item);
  return joinList(items);
}

std::string replaceListItem(std::string_view list, std::string_view oldItem, std::string_view newItem) {
  std::vector<std::string_view> items = splitList(list);
  for (std::string_view& existing : items) {
    if (existing == oldItem) {
      existing = newItem;
      break;
    }
  }
  return joinList(items);
}

bool fileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace floorwork
