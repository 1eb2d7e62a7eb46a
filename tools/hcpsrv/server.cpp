#include "server.h"

#include <cstdio>

#include "base/pipes/pipe_server.h"
#include "base/text/convert.h"
#include "client_session.h"
#include "client_threads.h"
#include "stop_request.h"

namespace wc {

void servePipe(const Context& context, const std::wstring& pipeName) {
  Con::PipeListener listener(pipeName);
  StopRequest stopRequest(listener);
  std::printf("hcpsrv: serving %s\n", cstrLenient(pipeName).c_str());
  std::fflush(stdout);
  {
    // Dropping a connection wakes its thread out of its wait.
    ClientThreads<std::unique_ptr<Con::PipeConnection>> clients(
        [](std::unique_ptr<Con::PipeConnection>& client) { client->drop(); });
    while (std::unique_ptr<Con::PipeConnection> client = listener.accept()) {
      clients.start(std::move(client), [&context](std::unique_ptr<Con::PipeConnection>& client) {
        serveClient(context, *client);
        // The client learns at once that it was dropped, not when the
        // thread is joined.
        client->drop();
      });
    }
  }
  std::printf("hcpsrv: stopped\n");
  std::fflush(stdout);
}

}  // namespace wc
