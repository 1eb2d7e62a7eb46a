#pragma once
// The threads of the management service's clients: one per connection,
// joined once its work is done, and all woken and joined on the way out.

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>
#include <utility>

namespace wc {

template <class Connection>
class ClientThreads {
 public:
  // `wake` cuts the work on a connection short (it runs on the caller's
  // thread while that work may still go on).
  explicit ClientThreads(std::function<void(Connection&)> wake) : wake_(std::move(wake)) {}
  ~ClientThreads() { joinAll(); }
  ClientThreads(const ClientThreads&) = delete;
  ClientThreads& operator=(const ClientThreads&) = delete;

  // Runs `serve(connection)` on a thread of its own.
  void start(Connection connection, std::function<void(Connection&)> serve) {
    reapFinished();
    auto client = std::make_unique<Client>();
    client->connection = std::move(connection);
    Client* raw = client.get();
    raw->thread = std::thread([raw, serve = std::move(serve)] {
      serve(raw->connection);
      raw->done = true;
    });
    clients_.push_back(std::move(client));
  }

  void joinAll() {
    for (auto& client : clients_) wake_(client->connection);
    for (auto& client : clients_) client->thread.join();
    clients_.clear();
  }

 private:
  struct Client {
    Connection connection;
    std::thread thread;
    std::atomic<bool> done{false};
  };

  void reapFinished() {
    for (auto it = clients_.begin(); it != clients_.end();) {
      if ((*it)->done) {
        (*it)->thread.join();
        it = clients_.erase(it);
      } else {
        ++it;
      }
    }
  }

  std::function<void(Connection&)> wake_;
  std::list<std::unique_ptr<Client>> clients_;
};

}  // namespace wc
