#pragma once
// Facts about the running process.

#include <cstdint>
#include <string>
#include <vector>

namespace wc {

uint32_t currentProcessId();
uint32_t currentThreadId();
// Full path of the program file (GetModuleFileName of the executable).
std::wstring programPath();
// The whole command line as the system reports it, program path included:
// GetCommandLineW on Windows; on POSIX the arguments of /proc/self/cmdline
// joined by the Windows quoting rules, so that splitCommandLine gives them back.
std::wstring processCommandLine();
// Splits a command line by the rules of CommandLineToArgvW.
std::vector<std::wstring> splitCommandLine(const std::wstring& commandLine);
// Quotes one argument so that splitCommandLine reads it back unchanged.
std::wstring quoteForCommandLine(const std::wstring& argument);
// Wraps an argument in double quotes the way splitCommandLine reads it back:
// quotes escaped, backslashes before a quote or the end doubled.
std::wstring wrapInQuotes(const std::wstring& argument);

}  // namespace wc
