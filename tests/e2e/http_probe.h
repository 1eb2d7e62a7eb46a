#pragma once
// Requests to the sandbox's Tomcat as a browser would send them for a host
// name: to 127.0.0.1 with the name in the Host header.

#include <chrono>
#include <functional>
#include <string>
#include <utility>

namespace wc {

namespace e2e {

struct HttpResponse {
  int status = 0;  // 0: no HTTP answer at all
  std::string body;
  std::string failure;  // curl's complaint when there was no answer

  std::string describe() const;
};

struct HttpRequest {
  HttpRequest(std::string host, std::string urlPath, int toPort = 9080)
      : hostName(std::move(host)), path(std::move(urlPath)), port(toPort) {}

  std::string hostName;
  std::string path;
  int port;
  std::string credentials;  // "user:password" for basic authentication
};

HttpResponse httpGet(const HttpRequest& request);

// Repeats the request (about twice a second) until `done` accepts the
// response or `limit` has passed; returns the last response either way.
HttpResponse pollHttp(const HttpRequest& request, const std::function<bool(const HttpResponse&)>& done,
                      std::chrono::seconds limit);

}  // namespace e2e

}  // namespace wc
