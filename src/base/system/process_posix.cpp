#include "base/system/process.h"

#include <limits.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "base/text/convert.h"

namespace wc {

uint32_t currentProcessId() { return static_cast<uint32_t>(getpid()); }

uint32_t currentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

std::wstring programPath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return L"";
  return wstrLenient(std::string(buffer, static_cast<size_t>(n)));
}

std::wstring processCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::wstring line;
  size_t start = 0;
  bool first = true;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    std::wstring arg = wstrLenient(all.substr(start, end - start));
    if (!first) line += L' ';
    // The program name is read without escapes: quote it only for blanks.
    line += first ? (arg.find_first_of(L" \t") != std::wstring::npos ? L"\"" + arg + L"\"" : arg)
                  : quoteForCommandLine(arg);
    first = false;
    start = end + 1;
  }
  return line;
}

}  // namespace wc
