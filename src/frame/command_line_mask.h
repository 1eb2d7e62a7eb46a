#pragma once
// The loggable form of a command line: passwords masked, arguments quoted so
// that every --name=value shows in double quotes.

#include <string>

namespace wc {

// Splits the line by the platform's rules; an argument whose first '='-piece
// contains "password" or "pwd" keeps that piece and gets "=*" once per further
// piece; every argument goes through quoteArgument; blanks join them.
std::wstring maskPasswords(const std::wstring& commandLine);

// Wraps an argument in double quotes when it holds white space or one of
// " & < > [ ] { } ^ = ; ! ' + , ` ~ |, escaping quotes and the backslashes
// before them.
std::wstring quoteArgument(const std::wstring& argument);

}  // namespace wc
