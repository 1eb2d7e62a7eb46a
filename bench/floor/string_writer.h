#pragma once
// pugixml's output collected in a string, for the floor programs' saves.

#include <string>

#include <pugixml.hpp>

namespace floorwork {

class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& out) : out_(out) {}
  void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

 private:
  std::string& out_;
};

}  // namespace floorwork
