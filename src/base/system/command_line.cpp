#include "base/system/process.h"

namespace wc {

std::vector<std::wstring> splitCommandLine(const std::wstring& line) {
  std::vector<std::wstring> args;
  size_t i = 0, n = line.size();
  // The program name: up to the next blank, or the quoted part; no escapes.
  {
    std::wstring arg;
    if (i < n && line[i] == L'"') {
      ++i;
      while (i < n && line[i] != L'"') arg += line[i++];
      if (i < n) ++i;
    } else {
      while (i < n && line[i] != L' ' && line[i] != L'\t') arg += line[i++];
    }
    args.push_back(arg);
  }
  while (true) {
    while (i < n && (line[i] == L' ' || line[i] == L'\t')) ++i;
    if (i >= n) break;
    std::wstring arg;
    bool quoted = false;
    while (i < n) {
      if (!quoted && (line[i] == L' ' || line[i] == L'\t')) break;
      if (line[i] == L'\\') {
        size_t slashes = 0;
        while (i < n && line[i] == L'\\') {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == L'"') {
          arg.append(slashes / 2, L'\\');
          if (slashes % 2) {
            arg += L'"';
            ++i;
          }
        } else {
          arg.append(slashes, L'\\');
        }
        continue;
      }
      if (line[i] == L'"') {
        if (quoted && i + 1 < n && line[i + 1] == L'"') {
          arg += L'"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg += line[i++];
    }
    args.push_back(arg);
  }
  return args;
}

std::wstring quoteForCommandLine(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  return wrapInQuotes(argument);
}

std::wstring wrapInQuotes(const std::wstring& argument) {
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    if (c == L'"') {
      out.append(slashes * 2 + 1, L'\\');
    } else {
      out.append(slashes, L'\\');
    }
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, L'\\');
  out += L'"';
  return out;
}

}  // namespace wc
