#pragma once
// What the tests of the real service manager do differently per platform.

#include <string>

// The ImagePath of a service that runs `command` (a POSIX command line) in
// the built service host.
std::wstring hostedImagePath(const std::wstring& command);

// Whether no host process of the service is left.
bool hostGone(const std::wstring& name);
