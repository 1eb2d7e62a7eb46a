#include "log_test_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <sstream>

namespace wc {

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
  std::istringstream text(testing_support::readFile(file));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

void clearEventLog() {}

}  // namespace log_test

}  // namespace wc
