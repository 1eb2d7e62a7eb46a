#include "base/services/hosted_command.h"

namespace wc {

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// One word for the shell, whatever it holds.
std::wstring shellQuoted(const std::wstring& text) {
  std::wstring quoted = L"'";
  for (wchar_t c : text) quoted += c == L'\'' ? std::wstring(L"'\\''") : std::wstring(1, c);
  return quoted + L"'";
}

// Writes `what` to `file` through a temporary name, so that a reader never
// sees half of it.
std::wstring writeWhole(const std::wstring& what, const std::wstring& file) {
  return L"echo " + what + L" >" + shellQuoted(file + L".tmp") + L" && mv " + shellQuoted(file + L".tmp") + L" " +
         shellQuoted(file);
}

}  // namespace

std::wstring commandAfterProgram(const std::wstring& commandLine) {
  size_t pos = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    pos = commandLine.find(L'"', 1);
    pos = pos == std::wstring::npos ? commandLine.size() : pos + 1;
  } else {
    while (pos < commandLine.size() && !isBlank(commandLine[pos])) ++pos;
  }
  while (pos < commandLine.size() && isBlank(commandLine[pos])) ++pos;
  return commandLine.substr(pos);
}

bool namesPosixProgram(const std::wstring& command) {
  size_t start = command.find_first_not_of(L" \t\"");
  return start != std::wstring::npos && command[start] == L'/';
}

WrapperFiles wrapperFiles(const std::wstring& directory) {
  return {directory + L"/pid", directory + L"/exit", directory + L"/output.log"};
}

std::wstring wrapperScript(const std::wstring& command, const std::vector<std::wstring>& environment,
                           const std::wstring& directory) {
  WrapperFiles files = wrapperFiles(directory);
  std::wstring script = L"cd / && exec >>" + shellQuoted(files.output) + L" 2>&1 </dev/null; ";
  for (const std::wstring& pair : environment) {
    size_t equals = pair.find(L'=');
    script += L"export " + pair.substr(0, equals) + L"=" + shellQuoted(pair.substr(equals + 1)) + L"; ";
  }
  script +=
      L"( exec " + command + L" ) & " + writeWhole(L"$!", files.pid) + L"; wait $!; " + writeWhole(L"$?", files.exit);
  return script;
}

}  // namespace wc
