#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "base/errors/os_error.h"
#include "base/pipes/overlapped_pipe.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_pipe_fake.h"

namespace wc {

namespace {

using Con::OverlappedPipe;
const Con::os::Handle kNone = Con::os::HandleTraits::invalid();

// An overlapped client end and the server end that the test drives.
struct Ends {
  explicit Ends(bool congested = false) {
    auto pair = testing_support::pipePair(congested);
    near = std::make_unique<OverlappedPipe>(std::move(pair.client));
    far = std::move(pair.server);
  }
  // What one read of `count` bytes of the near end gives.
  std::string read(uint32_t count, bool exact = true) {
    std::string buffer(count, '\0');
    buffer.resize(near->read(buffer.data(), count, exact));
    return buffer;
  }
  std::optional<std::string> receive() { return far->receive(1 << 16); }
  void send(const std::string& message) { far->send(message.data(), message.size()); }
  std::unique_ptr<OverlappedPipe> near;
  std::unique_ptr<Con::PipeConnection> far;
};

std::wstring messageOf(const std::function<void()>& f) { return testing_support::failureOf(f).message(); }

TEST(OverlappedPipeTest, MessagesKeepTheirBoundariesAndShortOrLongOnesFail) {
  Ends ends;
  EXPECT_EQ(ends.near->write("abcd", 4, true), 4u);
  EXPECT_EQ(ends.near->write("ef", 2, true), 2u);
  EXPECT_EQ(ends.receive(), "abcd");
  EXPECT_EQ(ends.receive(), "ef");

  ends.send("xyz");
  EXPECT_EQ(ends.read(3), "xyz");
  EXPECT_TRUE(ends.near->completed());

  // Short: an error only when the read is exact.
  ends.send("ab");
  EXPECT_EQ(messageOf([&] { ends.read(4); }), L"Completed only 2 of 4 bytes");
  ends.send("ab");
  EXPECT_EQ(ends.read(4, false), "ab");
  EXPECT_FALSE(ends.near->finished());

  // Longer than the buffer: always an error.
  ends.send("abcdef");
  const auto e = testing_support::failureOf<vosexception>([&] { ends.read(4); });
  EXPECT_EQ(e.code(), ERROR_MORE_DATA);
  EXPECT_NE(e.message().find(L"Unable to read from pipe"), std::wstring::npos);
  // Its rest is gone with it.
  ends.send("gh");
  EXPECT_EQ(ends.read(2), "gh");
}

TEST(OverlappedPipeTest, ClosedFarEndFinishesThePipeForReadsAndWrites) {
  Ends ends;
  ends.send("last");
  ends.far.reset();
  EXPECT_EQ(ends.read(4), "last");
  EXPECT_FALSE(ends.near->finished());
  EXPECT_EQ(ends.read(4), "");
  EXPECT_TRUE(ends.near->finished());
  // A finished pipe neither reads nor writes any more.
  EXPECT_EQ(ends.near->write("x", 1, true), 0u);

  Ends writer;  // a write, too, finds the far end gone
  writer.far.reset();
  EXPECT_EQ(writer.near->write("abcd", 4, true), 0u);
  EXPECT_TRUE(writer.near->finished());
}

TEST(OverlappedPipeTest, OutstandingOperationRules) {
  Ends ends;
  char buffer[4];
  EXPECT_EQ(messageOf([&] { ends.near->complete(kNone, 0, true); }), L"Previous request has completed!");
  ends.near->beginRead(buffer, 4, true);
  EXPECT_FALSE(ends.near->completed());
  EXPECT_EQ(ends.near->requested(), 4u);
  EXPECT_EQ(messageOf([&] { ends.near->beginRead(buffer, 4, true); }), L"Previous request has not completed!");
  EXPECT_EQ(messageOf([&] { ends.near->beginWrite("ab", 2, true); }), L"Previous request has not completed!");

  // The time limit cancels the read; the pipe is usable again.
  EXPECT_FALSE(ends.near->complete(kNone, 20, true));
  EXPECT_TRUE(ends.near->completed());
  ends.send("data");
  EXPECT_EQ(ends.read(4), "data");

  // So does a signalled extra handle.
  Con::os::UniqueHandle stop;
  ASSERT_EQ(Con::os::createEvent(false, stop), 0u);
  ends.near->beginRead(buffer, 4, true);
  Con::os::setEvent(stop.get());
  EXPECT_FALSE(ends.near->complete(stop.get(), INFINITE_WAIT, true));
  EXPECT_TRUE(ends.near->completed());
}

// A server acting as its client reaches files with the client's rights: the
// client's end must not limit it to identifying the client (Windows then
// fails every open with ERROR_BAD_IMPERSONATION_LEVEL). Wine 8 ignores the
// level a client asks for (the server's token is always at impersonation
// level, and opens succeed), so under Wine this guards only that acting as
// the client works at all; on Windows it catches the identification-only open.
TEST(OverlappedPipeTest, TheServerEndActsAsTheClientToOpenAFile) {
  testing_support::TempDir dir;
  testing_support::writeFile(dir / "data", "as the client");
  Ends ends;
  ASSERT_EQ(ends.near->write("request", 7, true), 7u);
  ASSERT_EQ(ends.receive(), "request");
  {
    Con::ClientImpersonation asClient(*ends.far);
    EXPECT_EQ(testing_support::readFile(dir / "data"), "as the client");
  }
  // And back to itself afterwards, on the same connection.
  ends.send("done");
  EXPECT_EQ(ends.read(4), "done");
}

TEST(OverlappedPipeTest, PendingOperationsCompleteWhenTheFarEndActs) {
  Ends ends(/*congested=*/true);
  char buffer[5] = {};
  ends.near->beginRead(buffer, 5, true);
  ASSERT_FALSE(ends.near->completed());
  ends.send("hello");
  EXPECT_TRUE(ends.near->complete(kNone, INFINITE_WAIT, true));
  EXPECT_EQ(ends.near->transferred(), 5u);
  EXPECT_EQ(std::string(buffer, 5), "hello");

  const std::string payload(300, 'p');
  ends.near->beginWrite(payload.data(), static_cast<uint32_t>(payload.size()), true);
  ASSERT_FALSE(ends.near->completed());
  std::thread drainer([&] {
    while (ends.receive().value_or(payload) != payload) {
    }
  });
  EXPECT_TRUE(ends.near->complete(kNone, INFINITE_WAIT, true));
  drainer.join();
  EXPECT_EQ(ends.near->transferred(), payload.size());
}

}  // namespace

}  // namespace wc
