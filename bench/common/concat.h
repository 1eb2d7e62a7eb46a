#pragma once
// Joins strings by appending them to one result. Used instead of chains of
// operator+ that start with a literal, which also avoids a false -Wrestrict
// warning of GCC 12 on "literal" + std::string&&.

#include <string>

namespace bench {

template <typename... Parts>
std::string concat(const Parts&... parts) {
  std::string out;
  (out += ... += parts);
  return out;
}

}  // namespace bench
