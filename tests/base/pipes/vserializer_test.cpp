#include "base/pipes/vserializer.h"

#include <gtest/gtest.h>

#include "base/pipes/service_commands.h"
#include "support/failures.h"
#include "support/service_pipe_fake.h"

namespace wc {

namespace {

std::string bytesOf(const vserializer& s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

vserializer over(const std::string& bytes) { return vserializer(bytes.data(), bytes.size()); }

using testing_support::le32;

// The message of the protocol failure that `f` ends with.
std::wstring invalidProtocolMessage(const std::function<void()>& f) {
  return testing_support::failureOf<vserializer::invalidprotocol>(f).message();
}

const std::wstring kEndOfData = L"Unexpected end of data when read from serializer.";
const std::wstring kDoubleException = L"Double exception on read from serializer";

TEST(VSerializerTest, IntegersAndStringsAreLittleEndianWithCharSizeAndRoundTrip) {
  vserializer s;
  s.writeUInt32(0x01020304);
  s.writeString(L"Ab");
  s.writeAnsiString("Ab");
  EXPECT_EQ(bytesOf(s), le32(0x01020304) + le32(5) + std::string("\2A\0b\0", 5) + le32(3) + "\1Ab");
  EXPECT_EQ(s.readUInt32(), 0x01020304u);
  EXPECT_EQ(s.readString(), L"Ab");
  EXPECT_EQ(s.readString(), L"Ab");
  const std::wstring texts[] = {L"", L"Gr\u00fc\u00dfe \u4e2d\u6587", L"smile \U0001F600"};
  for (const auto& t : texts) s.writeString(t);
  for (const auto& t : texts) EXPECT_EQ(s.readString(), t);
  EXPECT_EQ(s.remaining(), 0u);
}

TEST(VSerializerTest, MalformedStringsAreInvalidProtocol) {
  const std::wstring kNoString = L"Unexpected end of data when read C-string from serializer.";
  struct Case {
    std::string bytes;
    std::wstring message;  // empty: any text
  } cases[] = {
      {le32(0), kNoString},
      {"", kNoString},
      {"\x05\x00", kEndOfData},
      {le32(3) + "\3ab", L"Unsupported char size when read C-string from serializer."},
      {le32(10) + "\2ab", kEndOfData},
      {le32(2) + "\2a", L""},                                                     // half a UTF-16 character
      {le32(0xFFFFFFFF), kDoubleException},                                       // an error reply without its text
      {le32(0xFFFFFFFF) + le32(0xFFFFFFFF) + le32(3) + "\2a", kDoubleException},  // an error in the error
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  // A lone surrogate, where wide strings cannot hold one (UTF-32).
  if (sizeof(wchar_t) == 4) all.push_back({le32(3) + std::string("\2\0\xd8", 3), L""});
  for (const auto& c : all) {
    const std::wstring message = invalidProtocolMessage([&] { over(c.bytes).readString(); });
    if (!c.message.empty()) {
      EXPECT_EQ(message, c.message) << testing::PrintToString(c.bytes);
    }
  }
  EXPECT_EQ(invalidProtocolMessage([&] { over(le32(0xFFFFFFFF) + le32(9) + "\2ab").readBlob(); }), kDoubleException);
}

TEST(VSerializerTest, ErrorReplyThrowsTheServiceTextWithoutCallPoints) {
  vserializer reply;
  reply.writeErrorReply(L"Value PRODUCT_ROOT_D is unknown");
  // The service's own text, not a protocol failure.
  const vexception e = testing_support::failureOf([&] { over(bytesOf(reply)).readString(); });
  EXPECT_EQ(e.message(), L"Value PRODUCT_ROOT_D is unknown");
  EXPECT_TRUE(e.callPoints().empty());
}

TEST(VSerializerTest, CommandIdentifierIsASixteenByteBlobInMemoryLayout) {
  vserializer s;
  s.writeGuid(kConfigStringCommand);
  const unsigned char expected[] = {0x10, 0x00, 0x00, 0x00, 0x3C, 0xBC, 0x3E, 0xAD, 0xB9, 0xE6,
                                    0xCF, 0x4F, 0xAB, 0xB9, 0xED, 0x1B, 0x3D, 0x52, 0x4F, 0x22};
  EXPECT_EQ(bytesOf(s), std::string(reinterpret_cast<const char*>(expected), sizeof expected));
  EXPECT_EQ(s.readGuid(), kConfigStringCommand);
  EXPECT_EQ(invalidProtocolMessage([] { over(le32(2) + "ab").readGuid(); }),
            L"Unexpected size of a command identifier when read from serializer.");
}

}  // namespace

}  // namespace wc
