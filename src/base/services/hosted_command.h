#pragma once
// What the Windows service host makes of its service's key. The key's
// ImagePath starts with the host program itself; the rest of it is the
// command the host runs. Under Wine that command may be a Linux program
// (named by an absolute POSIX path): Wine then gives the host no process
// handle, so a /bin/sh wrapper reports the program's pid and exit status in
// files the host watches.

#include <string>
#include <vector>

namespace wc {

// The command line after its first argument (the program, quoted or not, as
// CommandLineToArgvW reads it) and the blanks that follow it.
std::wstring commandAfterProgram(const std::wstring& commandLine);

// True when the command's program is an absolute POSIX path.
bool namesPosixProgram(const std::wstring& command);

// The files the wrapper writes in its directory (a POSIX path).
struct WrapperFiles {
  std::wstring pid;     // the program's pid, once it runs
  std::wstring exit;    // its exit status, once it has ended
  std::wstring output;  // what it prints
};
WrapperFiles wrapperFiles(const std::wstring& directory);

// The /bin/sh script that runs `command` (shell syntax, as the POSIX host
// runs it) in the background with the NAME=value `environment` pairs
// exported, writes its pid, waits for it and writes its exit status. Each
// file appears complete or not at all.
std::wstring wrapperScript(const std::wstring& command, const std::vector<std::wstring>& environment,
                           const std::wstring& directory);

}  // namespace wc
