#pragma once
// The operating-system side of the POSIX service stand-in, as seen by the
// programs that control services: launching the service host, telling
// whether it still lives, sending it a stop request, cleaning up after a
// deleted service (service_control_posix.cpp).

#include <cstdint>
#include <optional>
#include <string>

namespace wc {

// The service host program: the environment variable HCP_SERVICE_HOST when
// set, else "hcpsvc" in the directory of the running program.
std::wstring serviceHostProgram();

// The pid of the living host of the service (the process holding the host
// lock in the service's directory), or nothing when no host runs.
std::optional<uint32_t> serviceHostPid(const std::wstring& serviceName);

// Starts the host for the service, detached in a session of its own, and
// waits until it has written its first status record: 0, or the error code
// the host or the launch reported.
uint32_t launchServiceHost(const std::wstring& serviceName);

// Delivers a stop request to the host: 0, ERROR_SERVICE_NOT_ACTIVE when it is
// gone, or another error code.
uint32_t requestHostStop(uint32_t hostPid);

// The status record file's text; nothing when there is none.
std::optional<std::string> readStatusRecordText(const std::wstring& serviceName);

// Removes the service's state directory with what is in it (best effort).
void removeServiceStateDirectory(const std::wstring& serviceName);

}  // namespace wc
