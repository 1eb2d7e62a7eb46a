#pragma once
// Creating and resetting the redirector's three property files as wholes, at
// install and uninstall time. The callers give the paths (from the Tomcat
// package provider) and the redirector's own log path.

#include <string>

#include "base/system/context.h"

namespace wc {

// The contents of isapi_redirect.properties: 17 lines, each ending in CR LF,
// naming the log file and the other two files (paths in the ANSI code page).
std::string isapiRedirectPropertiesText(const std::wstring& logPath, const std::wstring& workersPath,
                                        const std::wstring& uriWorkerMapPath);

// Creates workers.properties ("worker.list=ajp13") and an empty
// uriworkermap.properties where they are missing, keeping existing ones with
// their workers and mounts, and writes isapi_redirect.properties anew.
void createIsapiRedirectorFiles(const Context& context, const std::wstring& isapiRedirectPropertiesPath,
                                const std::wstring& workersPath, const std::wstring& uriWorkerMapPath,
                                const std::wstring& logPath);

// Puts workers.properties and uriworkermap.properties back to their install
// contents, whether or not they existed. isapi_redirect.properties stays.
void resetIsapiRedirectorFiles(const Context& context, const std::wstring& workersPath,
                               const std::wstring& uriWorkerMapPath);

// The install contents of workers.properties.
inline constexpr const char* kInstallWorkersProperties = "worker.list=ajp13\r\n";

}  // namespace wc
