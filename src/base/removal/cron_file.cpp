#include "base/removal/cron_file.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <set>

#include "base/errors/vexception.h"
#include "base/text/strings.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {

constexpr uint32_t kMinutesPerDay = 1440;
const wchar_t kSystemAccount[] = L"(system)";
const wchar_t kDailyWord[] = L"daily";
const wchar_t kAtSystemStartWord[] = L"at-system-start";

// Header lines, each "# <key>: <value>".
const wchar_t kWorkItemKey[] = L"# Work item:";
const wchar_t kApplicationKey[] = L"# Application:";
const wchar_t kParametersKey[] = L"# Parameters:";
const wchar_t kAccountKey[] = L"# Account:";
const wchar_t kTriggerKey[] = L"# Trigger:";

// "a,b,c", or "*" when the set holds every value below `all`.
std::wstring cronList(const std::set<uint32_t>& values, uint32_t all) {
  if (values.size() == all) return L"*";
  std::wstring list;
  for (uint32_t v : values) list += (list.empty() ? L"" : L",") + std::to_wstring(v);
  return list;
}

bool isShellSafe(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         std::wstring_view(L"/._+-:@,=").find(c) != std::wstring_view::npos;
}

// One word for /bin/sh: as it is when nothing in it is special, else in
// single quotes.
std::wstring shellWord(const std::wstring& word) {
  if (!word.empty() && std::all_of(word.begin(), word.end(), isShellSafe)) return word;
  std::wstring quoted = L"'";
  for (wchar_t c : word) quoted += c == L'\'' ? std::wstring(L"'\\''") : std::wstring(1, c);
  return quoted + L"'";
}

// Cron turns an unescaped '%' of a command into a line break.
std::wstring cronCommand(std::wstring_view command) {
  std::wstring escaped;
  for (wchar_t c : command) {
    if (c == L'%') escaped += L'\\';
    escaped += c;
  }
  return escaped;
}

std::wstring dateText(const TaskTrigger& t) {
  return vaformat(L"%04d-%02d-%02d", t.beginYear, t.beginMonth, t.beginDay);
}

std::wstring triggerComment(const TaskTrigger& t) {
  if (t.type == TaskTrigger::Type::AtSystemStart) {
    return vaformat(L"%s %s begin=%s", kTriggerKey, kAtSystemStartWord, dateText(t));
  }
  return vaformat(L"%s %s begin=%s start=%02d:%02d days=%u every=%u for=%u", kTriggerKey, kDailyWord, dateText(t),
                  t.startHour, t.startMinute, t.daysInterval, t.minutesInterval, t.minutesDuration);
}

bool hasLineBreak(const std::wstring& value) { return value.find_first_of(L"\r\n") != std::wstring::npos; }

std::wstring trimmed(std::wstring_view text) {
  size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return L"";
  size_t last = text.find_last_not_of(L" \t\r");
  return std::wstring(text.substr(first, last - first + 1));
}

std::optional<uint32_t> number(std::wstring_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - L'0');
  }
  if (value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// "YYYY-MM-DD" and "HH:MM": numbers of fixed width around separators.
bool readDate(std::wstring_view text, TaskTrigger& t) {
  if (text.size() != 10 || text[4] != L'-' || text[7] != L'-') return false;
  auto y = number(text.substr(0, 4)), m = number(text.substr(5, 2)), d = number(text.substr(8, 2));
  if (!y || !m || !d) return false;
  t.beginYear = static_cast<int>(*y);
  t.beginMonth = static_cast<int>(*m);
  t.beginDay = static_cast<int>(*d);
  return true;
}

bool readTime(std::wstring_view text, TaskTrigger& t) {
  if (text.size() != 5 || text[2] != L':') return false;
  auto h = number(text.substr(0, 2)), m = number(text.substr(3, 2));
  if (!h || !m) return false;
  t.startHour = static_cast<int>(*h);
  t.startMinute = static_cast<int>(*m);
  return true;
}

// The fields after "# Trigger:"; empty reason on success.
std::wstring readTrigger(const std::wstring& fields, TaskTrigger& t) {
  std::vector<std::wstring> words = splitDroppingEmpty(fields, L" \t");
  if (words.empty()) return L"a trigger without type";
  std::set<std::wstring> required;
  if (words[0] == kDailyWord) {
    t.type = TaskTrigger::Type::Daily;
    required = {L"begin", L"start", L"days", L"every", L"for"};
  } else if (words[0] == kAtSystemStartWord) {
    t.type = TaskTrigger::Type::AtSystemStart;
    required = {L"begin"};
  } else {
    return L"unknown trigger type '" + words[0] + L"'";
  }
  for (size_t i = 1; i < words.size(); ++i) {
    size_t equals = words[i].find(L'=');
    std::wstring key = words[i].substr(0, equals);
    std::wstring value = equals == std::wstring::npos ? L"" : words[i].substr(equals + 1);
    if (equals == std::wstring::npos || required.erase(key) == 0) return L"unexpected field '" + words[i] + L"'";
    bool ok = true;
    if (key == L"begin") {
      ok = readDate(value, t);
    } else if (key == L"start") {
      ok = readTime(value, t);
    } else {
      std::optional<uint32_t> n = number(value);
      ok = n.has_value();
      if (ok) (key == L"days" ? t.daysInterval : key == L"every" ? t.minutesInterval : t.minutesDuration) = *n;
    }
    if (!ok) return L"bad value in '" + words[i] + L"'";
  }
  if (!required.empty()) return L"the field '" + *required.begin() + L"' is missing";
  return triggerProblem(t);
}

}  // namespace

std::wstring cronFileName(const std::wstring& workItemName) {
  std::wstring name = workItemName;
  std::replace(name.begin(), name.end(), L' ', L'-');
  return name;
}

std::wstring cronSchedule(const TaskTrigger& trigger) {
  if (trigger.type == TaskTrigger::Type::AtSystemStart) return L"@reboot";
  // Every start within one day's run of the trigger, as minutes of the day.
  const uint32_t first = static_cast<uint32_t>(trigger.startHour * 60 + trigger.startMinute);
  std::set<uint32_t> minutes, hours;
  const uint64_t interval = trigger.minutesInterval;
  for (uint64_t offset = 0;; offset += interval) {
    uint32_t start = static_cast<uint32_t>((first + offset) % kMinutesPerDay);
    minutes.insert(start % 60);
    hours.insert(start / 60);
    // Past a whole day every further start falls on one already counted.
    if (interval == 0 || offset + interval >= trigger.minutesDuration || offset + interval > 2 * kMinutesPerDay) break;
  }
  std::wstring days = trigger.daysInterval <= 1 ? L"*" : L"*/" + std::to_wstring(trigger.daysInterval);
  return cronList(minutes, 60) + L" " + cronList(hours, 24) + L" " + days + L" * *";
}

std::string cronFileText(const std::wstring& workItemName, const WorkItem& item) {
  auto fail = [&](const std::wstring& reason) -> void {
    throw vexception(vaformat(L"Unable to write the work item '%s': %s", workItemName, reason),
                     VCALLPOINT(L"", "cronFileText"));
  };
  if (item.application.empty()) fail(L"the application is empty");
  if (hasLineBreak(workItemName) || hasLineBreak(item.application) || hasLineBreak(item.parameters)) {
    fail(L"a name, the application or the parameters hold a line break");
  }
  if (item.account.find_first_of(L" \t\r\n") != std::wstring::npos || item.account == kSystemAccount) {
    fail(L"the account name '" + item.account + L"' cannot be used");
  }
  const std::wstring user = item.account.empty() ? L"root" : item.account;
  std::wstring command = shellWord(item.application);
  if (!item.parameters.empty()) command += L" " + item.parameters;
  command = cronCommand(command);

  std::wstring text;
  text += vaformat(L"%s %s\n", kWorkItemKey, workItemName);
  text += vaformat(L"%s %s\n", kApplicationKey, item.application);
  text += vaformat(L"%s %s\n", kParametersKey, item.parameters);
  text += vaformat(L"%s %s\n", kAccountKey, item.account.empty() ? std::wstring(kSystemAccount) : item.account);
  for (const TaskTrigger& trigger : item.triggers) {
    if (std::wstring problem = triggerProblem(trigger); !problem.empty()) fail(problem);
    text += triggerComment(trigger) + L"\n";
    text += cronSchedule(trigger) + L" " + user + L" " + command + L"\n";
  }
  std::optional<std::string> utf8 = wideToUtf8(text);
  if (!utf8) fail(L"the text cannot be written as UTF-8");
  return *utf8;
}

WorkItem parseCronFile(std::string_view bytes) {
  auto fail = [](const std::wstring& reason, size_t line) -> void {
    throw vexception(vaformat(L"%s (line %u)", reason, static_cast<uint32_t>(line)), VCALLPOINT(L"", "parseCronFile"));
  };
  std::optional<std::wstring> text = utf8ToWide(bytes);
  if (!text) fail(L"the file is not UTF-8 text", 1);
  WorkItem item;
  bool sawApplication = false;
  size_t lineNumber = 0;
  for (size_t begin = 0; begin < text->size();) {
    size_t end = text->find(L'\n', begin);
    if (end == std::wstring::npos) end = text->size();
    const std::wstring line = text->substr(begin, end - begin);
    begin = end + 1;
    ++lineNumber;
    auto valueAfter = [&](const wchar_t* key) { return trimmed(std::wstring_view(line).substr(wcslen(key))); };
    if (startsWith(line, kApplicationKey)) {
      item.application = valueAfter(kApplicationKey);
      if (item.application.empty()) fail(L"the application is empty", lineNumber);
      sawApplication = true;
    } else if (startsWith(line, kParametersKey)) {
      item.parameters = valueAfter(kParametersKey);
    } else if (startsWith(line, kAccountKey)) {
      item.account = valueAfter(kAccountKey);
      if (item.account == kSystemAccount) item.account.clear();
    } else if (startsWith(line, kTriggerKey)) {
      TaskTrigger trigger;
      if (std::wstring problem = readTrigger(valueAfter(kTriggerKey), trigger); !problem.empty()) {
        fail(problem, lineNumber);
      }
      item.triggers.push_back(trigger);
    }
    // Anything else (the name, other comments, the cron lines) is made from
    // the lines above.
  }
  if (!sawApplication) fail(L"the file names no application", lineNumber);
  return item;
}

}  // namespace wc
