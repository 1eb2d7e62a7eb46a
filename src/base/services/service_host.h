#pragma once
// The service host on POSIX (the work of hcpsvc): runs one service's command
// and keeps its status record until the command has ended.
//
// The command is the service's ImagePath, run as /bin/sh -c 'exec ...' in a
// process group of its own with the Environment pairs added. The record says
// start pending (check point advancing, the service's wait hint) until the
// ReadyPort accepts on 127.0.0.1, or running at once when there is none. A
// stop request (SIGTERM to the host) becomes stop pending, SIGTERM to the
// group and SIGKILL after StopTimeout. A command that ends by itself leaves
// the record stopped with exit code 1066 and its exit status as the
// service-specific code; one killed by a signal of its own, 1067 and the
// signal number.

#include <string>

// Runs the host for the service (the key's spelling of its name). `readyFd`,
// unless -1, hears "ok\n" once the first record is written, or "error <code>\n"
// when the service cannot be started, and is closed then. Returns the host's
// exit code: 0 after a service that ran, 1 when it could not start.
int runServiceHost(const std::wstring& serviceName, int readyFd);
