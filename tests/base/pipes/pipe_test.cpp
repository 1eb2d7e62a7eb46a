#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "base/errors/os_error.h"
#include "base/pipes/client_overlapped_pipe.h"
#include "base/pipes/overlapped_pipe.h"
#include "support/failures.h"
#include "support/service_pipe_fake.h"

namespace {

using Con::OverlappedPipe;
using Con::Pipe;
using testing_support::socketPair;

// An overlapped client end and a synchronous far end.
struct Ends {
  Ends() {
    auto [a, b] = socketPair();
    near = std::make_unique<OverlappedPipe>(std::move(a));
    far = std::make_unique<Pipe>(std::move(b));
  }
  std::unique_ptr<OverlappedPipe> near;
  std::unique_ptr<Pipe> far;
};

std::wstring messageOf(const std::function<void()>& f) { return testing_support::failureOf(f).message(); }

TEST(OverlappedPipeTest, EachWriteIsOneMessage) {
  Ends ends;
  EXPECT_EQ(ends.near->write("abcd", 4, true), 4u);
  EXPECT_EQ(ends.near->write("ef", 2, true), 2u);
  char buffer[8] = {};
  EXPECT_EQ(ends.far->read(buffer, sizeof buffer, false), 4u);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  EXPECT_EQ(ends.far->read(buffer, sizeof buffer, false), 2u);
  EXPECT_EQ(std::string(buffer, 2), "ef");

  ends.far->write("xyz", 3, true);
  EXPECT_EQ(ends.near->read(buffer, 3, true), 3u);
  EXPECT_EQ(std::string(buffer, 3), "xyz");
  EXPECT_TRUE(ends.near->completed());
}

TEST(OverlappedPipeTest, ShortMessageFailsOnlyWhenExact) {
  Ends ends;
  char buffer[4];
  ends.far->write("ab", 2, true);
  EXPECT_EQ(messageOf([&] { ends.near->read(buffer, 4, true); }), L"Completed only 2 of 4 bytes");
  ends.far->write("ab", 2, true);
  EXPECT_EQ(ends.near->read(buffer, 4, false), 2u);
  EXPECT_FALSE(ends.near->finished());
}

TEST(OverlappedPipeTest, MessageLongerThanTheBufferIsAnError) {
  Ends ends;
  ends.far->write("abcdef", 6, true);
  char buffer[4];
  const auto e = testing_support::failureOf<vosexception>([&] { ends.near->read(buffer, 4, true); });
  EXPECT_EQ(e.code(), ERROR_MORE_DATA);
  EXPECT_NE(e.message().find(L"Unable to read from pipe"), std::wstring::npos);
}

TEST(OverlappedPipeTest, ClosedFarEndFinishesThePipeForReadsAndWrites) {
  Ends ends;
  ends.far->write("last", 4, true);
  ends.far->close();
  char buffer[4];
  EXPECT_EQ(ends.near->read(buffer, 4, true), 4u);
  EXPECT_FALSE(ends.near->finished());
  EXPECT_EQ(ends.near->read(buffer, 4, true), 0u);
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
  EXPECT_EQ(messageOf([&] { ends.near->complete(Con::os::HandleTraits::invalid(), 0, true); }),
            L"Previous request has completed!");
  ends.near->beginRead(buffer, 4, true);
  EXPECT_FALSE(ends.near->completed());
  EXPECT_EQ(ends.near->requested(), 4u);
  EXPECT_EQ(messageOf([&] { ends.near->beginRead(buffer, 4, true); }), L"Previous request has not completed!");
  EXPECT_EQ(messageOf([&] { ends.near->beginWrite("ab", 2, true); }), L"Previous request has not completed!");

  // The time limit cancels the read; the pipe is usable again.
  EXPECT_FALSE(ends.near->complete(Con::os::HandleTraits::invalid(), 20, true));
  EXPECT_TRUE(ends.near->completed());
  ends.far->write("data", 4, true);
  EXPECT_EQ(ends.near->read(buffer, 4, true), 4u);
  EXPECT_EQ(std::string(buffer, 4), "data");
}

TEST(OverlappedPipeTest, ExtraHandleCutsTheWaitShort) {
  Ends ends;
  Con::os::UniqueHandle stop;
  ASSERT_EQ(Con::os::createEvent(false, stop), 0u);
  char buffer[4];
  ends.near->beginRead(buffer, 4, true);
  std::thread signaller([&] { Con::os::setEvent(stop.get()); });
  EXPECT_FALSE(ends.near->complete(stop.get(), INFINITE_WAIT, true));
  signaller.join();
  EXPECT_TRUE(ends.near->completed());
}

TEST(OverlappedPipeTest, PendingReadCompletesWhenDataArrives) {
  Ends ends;
  char buffer[5] = {};
  ends.near->beginRead(buffer, 5, true);
  ASSERT_FALSE(ends.near->completed());
  std::thread writer([&] { ends.far->write("hello", 5, true); });
  EXPECT_TRUE(ends.near->complete(Con::os::HandleTraits::invalid(), INFINITE_WAIT, true));
  writer.join();
  EXPECT_EQ(ends.near->transferred(), 5u);
  EXPECT_EQ(std::string(buffer, 5), "hello");
}

TEST(OverlappedPipeTest, PendingWriteCompletesWhenTheFarEndDrains) {
  Ends ends;
  testing_support::shrinkSendBuffer(ends.near->handle());
  testing_support::fillSendBuffer(ends.near->handle());
  const std::string payload(300, 'p');
  ends.near->beginWrite(payload.data(), static_cast<uint32_t>(payload.size()), true);
  ASSERT_FALSE(ends.near->completed());
  std::thread drainer([&] {
    char sink[512];
    for (;;) {
      uint32_t n = ends.far->read(sink, sizeof sink, false);
      if (n == payload.size() && std::string(sink, n) == payload) return;
    }
  });
  EXPECT_TRUE(ends.near->complete(Con::os::HandleTraits::invalid(), INFINITE_WAIT, true));
  drainer.join();
  EXPECT_EQ(ends.near->transferred(), payload.size());
}

TEST(OverlappedPipeTest, CloneSharesTheConnectionButNotTheHandle) {
  Ends ends;
  std::unique_ptr<Pipe> copy = ends.near->clone();
  EXPECT_NE(copy->handle(), ends.near->handle());
  ends.near->close();
  EXPECT_TRUE(ends.near->finished());
  EXPECT_FALSE(ends.near->valid());
  char buffer[4];
  EXPECT_EQ(ends.near->read(buffer, 4, true), 0u);
  EXPECT_EQ(copy->write("copy", 4, true), 4u);
  EXPECT_EQ(ends.far->read(buffer, 4, true), 4u);
  EXPECT_EQ(std::string(buffer, 4), "copy");
}

}  // namespace
