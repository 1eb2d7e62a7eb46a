#include "base/log/event_source.h"
#include "base/text/vaformat.h"

namespace wc {

const wchar_t* eventTypeName(uint16_t type) {
  switch (type) {
    case EVENTLOG_INFORMATION_TYPE:
      return L"Information";
    case EVENTLOG_WARNING_TYPE:
      return L"Warning";
    case EVENTLOG_SUCCESS:
      return L"Success";
    default:
      return L"Error";
  }
}

namespace {
std::wstring escapeLineBreaks(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'\n')
      escaped += L"\\n";
    else if (c == L'\r')
      escaped += L"\\r";
    else
      escaped += c;
  }
  return escaped;
}
}  // namespace

std::wstring formatEventLine(const LocalTime& time, uint16_t type, const std::wstring& source,
                             const std::vector<std::wstring>& strings) {
  std::wstring line = vaformat(L"%04d/%02d/%02d %02d:%02d:%02d %s %s", time.year, time.month, time.day, time.hour,
                               time.minute, time.second, eventTypeName(type), source);
  for (size_t i = 0; i < strings.size(); ++i) {
    line += L": ";
    line += escapeLineBreaks(strings[i]);
  }
  return line;
}

}  // namespace wc
