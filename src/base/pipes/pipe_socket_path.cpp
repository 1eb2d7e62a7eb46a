#include "base/pipes/pipe_socket_path.h"

#include "base/system/system_root.h"
#include "base/text/strings.h"

namespace wc {

bool isPlainPipeName(std::wstring_view pipeName) {
  if (pipeName.size() <= kPipeNamePrefix.size()) return false;
  if (!equalsIgnoreCase(pipeName.substr(0, kPipeNamePrefix.size()), kPipeNamePrefix)) return false;
  std::wstring_view name = pipeName.substr(kPipeNamePrefix.size());
  if (name == L"." || name == L"..") return false;
  return name.find_first_of(std::wstring_view(L"/\\\0", 3)) == std::wstring_view::npos;
}

std::optional<std::wstring> socketPathOfPipe(std::wstring_view pipeName) {
  if (!isPlainPipeName(pipeName)) return std::nullopt;
  return underSystemRoot(L"run/halvo/pipes/" + std::wstring(pipeName.substr(kPipeNamePrefix.size())));
}

}  // namespace wc
