#pragma once
// Tomcat's connectors probed over TCP: whether a port accepts at all, and the
// AJP13 "CPing" that a web server's connector sends before it forwards a
// request, the bytes 0x12 0x34 0x00 0x01 0x0A, to which a working AJP
// connector answers "CPong", 0x41 0x42 0x00 0x01 0x09.

#include <string>

namespace wc {

namespace e2e {

// Whether something accepts TCP connections on 127.0.0.1:port right now.
bool portAccepts(int port);

inline const std::string kAjpCPing{"\x12\x34\x00\x01\x0A", 5};
inline const std::string kAjpCPong{"\x41\x42\x00\x01\x09", 5};

struct AjpProbe {
  bool connected = false;
  std::string reply;    // the bytes received, at most five
  std::string problem;  // why nothing (or too little) came back
};

// Connects to address:port over TCP, sends one CPing and reads the reply,
// giving up after `timeoutMs` of silence.
AjpProbe sendAjpCPing(const std::string& address, int port, int timeoutMs = 5000);

}  // namespace e2e

}  // namespace wc
