#pragma once
// The service host (the work of hcpsvc): runs one service's command until
// the command has ended. On Windows hcpsvc.exe is a service program that
// reports to the Service Control Manager (see service_host_win32.cpp); what
// follows is the POSIX stand-in, which keeps the service's status record.
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
#include <vector>

namespace wc {

// Runs the host for the service (the key's spelling of its name). `readyFd`,
// unless -1, hears "ok\n" once the first record is written, or "error <code>\n"
// when the service cannot be started, and is closed then. Returns the host's
// exit code: 0 after a service that ran, 1 when it could not start. On
// Windows it is called from the service's main function and `readyFd` is
// unused: the Service Control Manager hears the status instead.
int runServiceHost(const std::wstring& serviceName, int readyFd);

// hcpsvc's work for its arguments (the program's name not among them). On
// POSIX: "--run <service name> [--ready-fd <fd>]", then runServiceHost. On
// Windows the arguments are the command of the service that the Service
// Control Manager starts it for, read again from the service's key: the
// program connects to the manager, which calls runServiceHost.
int runServiceProgram(const std::vector<std::wstring>& args);

}  // namespace wc
