#include "log_test_support.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include "base/log/event_source.h"
#include "base/text/convert.h"

// After the project's headers: the macros of the Windows headers carry the
// same names as the project's constants.
#include <windows.h>

namespace wc {

namespace log_test {

StdoutCapture::StdoutCapture() {
  fflush(stdout);
  saved_ = _dup(1);
  int fd = _wopen(wstrLenient(path_).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  _dup2(fd, 1);
  _close(fd);
}

void StdoutCapture::restore() {
  if (saved_ < 0) return;
  fflush(stdout);
  _dup2(saved_, 1);
  _close(saved_);
  saved_ = -1;
}

// The records of the panel's event log "Halvo", oldest first.
std::vector<std::string> eventLines(const testing_support::Sandbox&) {
  std::vector<std::string> lines;
  HANDLE log = OpenEventLogW(nullptr, L"Halvo");
  if (!log) return lines;
  std::vector<BYTE> buffer(256 * 1024);
  DWORD read = 0, needed = 0;
  while (ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                       static_cast<DWORD>(buffer.size()), &read, &needed)) {
    for (DWORD offset = 0; offset < read;) {
      const auto* record = reinterpret_cast<const EVENTLOGRECORD*>(buffer.data() + offset);
      const auto* source = reinterpret_cast<const wchar_t*>(record + 1);
      std::vector<std::wstring> strings;
      const auto* text = reinterpret_cast<const wchar_t*>(buffer.data() + offset + record->StringOffset);
      for (WORD i = 0; i < record->NumStrings; ++i, text += strings.back().size() + 1) strings.emplace_back(text);
      lines.push_back(
          wideToUtf8Lenient(formatEventLine(toLocalTime(record->TimeGenerated), record->EventType, source, strings)));
      offset += record->Length;
    }
  }
  CloseEventLog(log);
  return lines;
}

void clearEventLog() {
  if (HANDLE log = OpenEventLogW(nullptr, L"Halvo")) {
    ClearEventLogW(log, nullptr);
    CloseEventLog(log);
  }
}

}  // namespace log_test

}  // namespace wc
