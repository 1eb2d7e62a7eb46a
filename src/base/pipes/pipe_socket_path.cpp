#include "base/pipes/pipe_socket_path.h"

#include "base/system/system_root.h"
#include "base/text/strings.h"

std::optional<std::wstring> socketPathOfPipe(std::wstring_view pipeName) {
  if (pipeName.size() <= kPipeNamePrefix.size()) return std::nullopt;
  if (!equalsIgnoreCase(pipeName.substr(0, kPipeNamePrefix.size()), kPipeNamePrefix)) return std::nullopt;
  std::wstring_view name = pipeName.substr(kPipeNamePrefix.size());
  if (name == L"." || name == L"..") return std::nullopt;
  if (name.find_first_of(L"/\\") != std::wstring_view::npos) return std::nullopt;
  if (name.find(L'\0') != std::wstring_view::npos) return std::nullopt;
  return underSystemRoot(L"run/halvo/pipes/" + std::wstring(name));
}
