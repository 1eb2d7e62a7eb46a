#pragma once
// The listening side of the management service's pipe.

#include <string>

// Serves `pipeName` ("\\.\pipe\NAME") until SIGTERM or SIGINT, one thread per
// client, and removes the socket on the way out. Throws a vexception when
// the pipe cannot be served (among others: another server already listens
// on it, whose socket is then left alone).
void servePipe(const std::wstring& pipeName);
