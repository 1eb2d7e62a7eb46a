#pragma once

namespace e2e {

// Whether something accepts TCP connections on 127.0.0.1:port right now.
bool portAccepts(int port);

}  // namespace e2e
