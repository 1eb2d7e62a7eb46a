#include "redirector/isapi_redirect_files.h"

#include "base/errors/strict_convert.h"
#include "base/errors/vexception.h"
#include "redirector/text_lines_io.h"

namespace wc {

namespace {

// An empty path would only produce an obscure "cannot open ''" later on.
void checkPath(const std::wstring& path, const wchar_t* what, const char* function) {
  if (path.empty())
    throw ArgumentException(std::wstring(L"The path of ") + what + L" is empty", VCALLPOINT(L"", function));
}

// Written whole like every save of these files: never seen cut short.
void writePropertyFile(const Context& context, const std::wstring& path, std::string_view text, bool keepExisting,
                       const char* function) {
  TextFileWriter writer(context, path, function, keepExisting);
  writer.writeBytes(text);
  writer.finish();
}

}  // namespace

std::string isapiRedirectPropertiesText(const std::wstring& logPath, const std::wstring& workersPath,
                                        const std::wstring& uriWorkerMapPath) {
  // Converted first, so that a path the code page cannot hold fails before
  // any text is built.
  const std::string log = cstr(logPath);
  const std::string workers = cstr(workersPath);
  const std::string uriWorkerMap = cstr(uriWorkerMapPath);
  std::string text;
  for (const std::string& line : {
           std::string("# Configuration file for the Jakarta ISAPI Redirector"),
           std::string(),
           std::string("# The path to the ISAPI Redirector Extension, relative to the website"),
           std::string("# This must be in a virtual directory with execute privileges"),
           std::string("extension_uri=/jakarta-tomcat/isapi_redirect.dll"),
           std::string(),
           std::string("# Full path to the log file for the ISAPI Redirector"),
           "log_file=" + log,
           std::string(),
           std::string("# Log level (debug, info, warn, error or trace)"),
           std::string("log_level=error"),
           std::string(),
           std::string("# Full path to the workers.properties file"),
           "worker_file=" + workers,
           std::string(),
           std::string("# Full path to the uriworkermap.properties file"),
           "worker_mount_file=" + uriWorkerMap,
       }) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void createIsapiRedirectorFiles(const Context& context, const std::wstring& isapiRedirectPropertiesPath,
                                const std::wstring& workersPath, const std::wstring& uriWorkerMapPath,
                                const std::wstring& logPath) {
  constexpr const char* kFunction = "createIsapiRedirectorFiles";
  checkPath(isapiRedirectPropertiesPath, L"isapi_redirect.properties", kFunction);
  checkPath(workersPath, L"workers.properties", kFunction);
  checkPath(uriWorkerMapPath, L"uriworkermap.properties", kFunction);
  // Built before anything is written: a path that cannot be converted leaves
  // all three files as they were.
  const std::string properties = isapiRedirectPropertiesText(logPath, workersPath, uriWorkerMapPath);

  writePropertyFile(context, workersPath, kInstallWorkersProperties, /*keepExisting=*/true, kFunction);
  writePropertyFile(context, uriWorkerMapPath, "", /*keepExisting=*/true, kFunction);
  writePropertyFile(context, isapiRedirectPropertiesPath, properties, /*keepExisting=*/false, kFunction);
}

void resetIsapiRedirectorFiles(const Context& context, const std::wstring& workersPath,
                               const std::wstring& uriWorkerMapPath) {
  constexpr const char* kFunction = "resetIsapiRedirectorFiles";
  checkPath(workersPath, L"workers.properties", kFunction);
  checkPath(uriWorkerMapPath, L"uriworkermap.properties", kFunction);
  writePropertyFile(context, workersPath, kInstallWorkersProperties, /*keepExisting=*/false, kFunction);
  writePropertyFile(context, uriWorkerMapPath, "", /*keepExisting=*/false, kFunction);
}

}  // namespace wc
