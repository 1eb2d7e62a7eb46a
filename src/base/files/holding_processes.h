#pragma once
// Which processes hold files open, for the messages of sharing violations.

#include <string>
#include <vector>

namespace wc {

namespace RunTime {

// One entry "PID(%d) '%s'" (process id, path of its program) for each process
// that holds one of `paths` open (on Linux: as an open descriptor, its
// program or its working directory), entries joined with "\n". Empty when no
// process is found. Throws a RunTime exception when the system's process
// table cannot be read.
std::wstring getProccessesByOpenedFiles(const std::vector<std::wstring>& paths);

// The same, with every failure giving the empty text: for building the
// message of a failure that is already being reported.
std::wstring processesHoldingFiles(const std::vector<std::wstring>& paths);

}  // namespace RunTime

}  // namespace wc
