#include "log_test_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace log_test {

StdoutCapture::StdoutCapture() {
  fflush(stdout);
  saved_ = dup(1);
  int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(fd, 1);
  close(fd);
}

void StdoutCapture::restore() {
  if (saved_ < 0) return;
  fflush(stdout);
  dup2(saved_, 1);
  close(saved_);
  saved_ = -1;
}

// The sandbox's event file, written by the event source's POSIX stand-in.
std::vector<std::string> eventLines(const testing_support::Sandbox& sandbox) {
  const std::string file = sandbox.path("var/log/halvo/events.log");
  std::vector<std::string> lines;
  if (!testing_support::pathExists(file)) return lines;
  const std::string text = testing_support::readFile(file);
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

void clearEventLog() {}

}  // namespace log_test
