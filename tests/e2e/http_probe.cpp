#include "e2e/http_probe.h"

#include <thread>

#include "support/sandbox.h"

namespace wc {

namespace e2e {

std::string HttpResponse::describe() const {
  if (status == 0) return "no HTTP answer (" + failure + ")";
  std::string shown = body.size() > 300 ? body.substr(0, 300) + "..." : body;
  return "HTTP " + std::to_string(status) + " \"" + shown + "\"";
}

HttpResponse httpGet(const HttpRequest& request) {
  std::vector<std::string> args = {"--silent",    "--show-error",  "--max-time",
                                   "15",          "--header",      "Host: " + request.hostName,
                                   "--write-out", "\n%{http_code}"};
  if (!request.credentials.empty()) {
    args.push_back("--user");
    args.push_back(request.credentials);
  }
  args.push_back("http://127.0.0.1:" + std::to_string(request.port) + request.path);
  testing_support::ProcessResult curl = testing_support::runProgram("/usr/bin/curl", args);

  HttpResponse response;
  size_t lastLine = curl.out.rfind('\n');
  std::string code = lastLine == std::string::npos ? curl.out : curl.out.substr(lastLine + 1);
  response.body = lastLine == std::string::npos ? "" : curl.out.substr(0, lastLine);
  try {
    response.status = std::stoi(code);
  } catch (const std::exception&) {
    response.status = 0;
  }
  if (response.status == 0) {
    response.failure = curl.err.empty() ? "curl exit code " + std::to_string(curl.exitCode) : curl.err;
    while (!response.failure.empty() && response.failure.back() == '\n') response.failure.pop_back();
  }
  return response;
}

HttpResponse pollHttp(const HttpRequest& request, const std::function<bool(const HttpResponse&)>& done,
                      std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    HttpResponse response = httpGet(request);
    if (done(response) || std::chrono::steady_clock::now() >= deadline) return response;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
}

}  // namespace e2e

}  // namespace wc
