#pragma once
// A private machine for the fuzz targets that read machine-wide state: a
// sandbox root with its own settings file, which HCP_SYSTEM_ROOT points at for
// the rest of the process.

#include <string>

namespace fuzzing {

// Makes a root under the scratch directory, writes its settings file with
// the header line and `registryBody`, and points HCP_SYSTEM_ROOT at it.
void useSandboxMachine(const std::string& registryBody);

// Sets a variable of the process environment.
void setEnvironmentVariable(const std::string& name, const std::string& value);

}  // namespace fuzzing
