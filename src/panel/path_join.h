#pragma once
// Joins a directory with several names in turn through the path-combining
// helper: join(home, {L"work", L"HCP"}).

#include <initializer_list>
#include <string>

#include "base/files/file_name.h"

namespace wc {

inline std::wstring join(std::wstring path, std::initializer_list<std::wstring> names) {
  for (const std::wstring& name : names) path = VFileName::combine(path, name);
  return path;
}

}  // namespace wc
