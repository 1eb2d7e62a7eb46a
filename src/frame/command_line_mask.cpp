#include "frame/command_line_mask.h"

#include "base/system/process.h"
#include "base/text/strings.h"

namespace wc {

namespace {
bool isWhite(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f'; }
}  // namespace

std::wstring quoteArgument(const std::wstring& argument) {
  static const std::wstring special = L"\"&<>[]{}^=;!'+,`~|";
  bool plain = true;
  for (wchar_t c : argument) {
    if (isWhite(c) || special.find(c) != std::wstring::npos) {
      plain = false;
      break;
    }
  }
  return plain ? argument : wrapInQuotes(argument);
}

std::wstring maskPasswords(const std::wstring& commandLine) {
  std::wstring result;
  for (const std::wstring& argument : splitCommandLine(commandLine)) {
    std::wstring shown = argument;
    std::vector<std::wstring> pieces = splitDroppingEmpty(argument, L"=");
    if (!pieces.empty() &&
        (pieces[0].find(L"password") != std::wstring::npos || pieces[0].find(L"pwd") != std::wstring::npos)) {
      shown = pieces[0];
      for (size_t i = 1; i < pieces.size(); ++i) shown += L"=*";
    }
    result += quoteArgument(shown);
    result += L' ';
  }
  size_t begin = 0, end = result.size();
  while (begin < end && isWhite(result[begin])) ++begin;
  while (end > begin && isWhite(result[end - 1])) --end;
  return result.substr(begin, end - begin);
}

}  // namespace wc
