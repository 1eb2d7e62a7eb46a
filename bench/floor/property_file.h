#pragma once
// The connector's property files as the floor programs handle them: one read
// of the whole file, lines cut at every run of CR and LF bytes, edits in
// memory, one write of the whole file with CR LF after every line. Nothing
// more than the panel's edits need.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace floorwork {

class PropertyFile {
 public:
  // Throws std::runtime_error when the file cannot be read.
  static PropertyFile load(const std::string& path);
  // Replaces the file's contents; throws std::runtime_error on failure.
  void save(const std::string& path) const;

  std::vector<std::string_view>& lines() { return lines_; }
  // Keeps `text` alive for as long as the file and returns a view on it.
  std::string_view own(std::string text);

 private:
  std::string bytes_;
  std::deque<std::string> owned_;
  std::vector<std::string_view> lines_;
};

// The key of a line: the text before the first '=' when no '#' comes before
// it, else the text before the first '#'; empty when the line has neither.
std::string_view keyOf(std::string_view line);
// The text after the first '=' (when the line has a key=value form).
std::string_view valueOf(std::string_view line);

// Comma lists of "worker.list": empty items are dropped.
std::string addListItem(std::string_view list, std::string_view item);
std::string replaceListItem(std::string_view list, std::string_view oldItem, std::string_view newItem);

bool fileExists(const std::string& path);

}  // namespace floorwork
