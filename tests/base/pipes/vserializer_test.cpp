#include "base/pipes/vserializer.h"

#include <gtest/gtest.h>

#include "base/pipes/guid.h"
#include "base/pipes/service_commands.h"
#include "support/failures.h"
#include "support/service_pipe_fake.h"

namespace {

std::string bytesOf(const vserializer& s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

vserializer over(const std::string& bytes) { return vserializer(bytes.data(), bytes.size()); }

using testing_support::le32;

// The message of the protocol failure that `f` ends with.
std::wstring invalidProtocolMessage(const std::function<void()>& f) {
  return testing_support::failureOf<vserializer::invalidprotocol>(f).message();
}

TEST(VSerializerTest, GrowsInStepsOfSixteenBytes) {
  vserializer s;
  EXPECT_EQ(s.capacity(), 0u);
  s.writeBytes("", 0);
  EXPECT_EQ(s.capacity(), 0u);
  s.writeBytes("a", 1);
  EXPECT_EQ(s.capacity(), 16u);
  s.writeBytes("0123456789abcde", 15);
  EXPECT_EQ(s.capacity(), 16u);
  s.writeBytes("x", 1);
  EXPECT_EQ(s.size(), 17u);
  EXPECT_EQ(s.capacity(), 32u);
  s.writeBytes(std::string(40, 'y').data(), 40);
  EXPECT_EQ(s.capacity(), 64u);
  EXPECT_EQ(bytesOf(s), "a0123456789abcdex" + std::string(40, 'y'));
}

TEST(VSerializerTest, IntegersAndStringsAreLittleEndianWithCharSize) {
  vserializer s;
  s.writeUInt32(0x01020304);
  s.writeString(L"Ab");
  s.writeAnsiString("Ab");
  EXPECT_EQ(bytesOf(s), le32(0x01020304) + le32(5) + std::string("\2A\0b\0", 5) + le32(3) + "\1Ab");
  EXPECT_EQ(s.readUInt32(), 0x01020304u);
  EXPECT_EQ(s.readString(), L"Ab");
  EXPECT_EQ(s.readString(), L"Ab");
  EXPECT_EQ(s.remaining(), 0u);
}

TEST(VSerializerTest, StringsRoundTripIncludingEmptyAndBeyondTheBasicPlane) {
  const std::wstring texts[] = {L"", L"/opt/halvo", L"Gr\u00fc\u00dfe \u4e2d\u6587", L"smile \U0001F600"};
  vserializer s;
  for (const auto& t : texts) s.writeString(t);
  for (const auto& t : texts) EXPECT_EQ(s.readString(), t);
  // Char size one is widened from the ANSI code page.
  EXPECT_EQ(over(le32(8) + "\1Gr\xc3\xbc\xc3\x9f" + "e").readString(), L"Gr\u00fc\u00dfe");
}

TEST(VSerializerTest, MalformedStringsAreInvalidProtocol) {
  EXPECT_EQ(invalidProtocolMessage([] { over(le32(0)).readString(); }),
            L"Unexpected end of data when read C-string from serializer.");
  EXPECT_EQ(invalidProtocolMessage([] { vserializer().readString(); }),
            L"Unexpected end of data when read C-string from serializer.");
  EXPECT_EQ(invalidProtocolMessage([] { over("\x05\x00").readString(); }),
            L"Unexpected end of data when read from serializer.");
  EXPECT_EQ(invalidProtocolMessage([] { over(le32(3) + "\3ab").readString(); }),
            L"Unsupported char size when read C-string from serializer.");
  EXPECT_EQ(invalidProtocolMessage([] { over(le32(10) + "\2ab").readString(); }),
            L"Unexpected end of data when read from serializer.");
  // Half a UTF-16 character, and a lone surrogate.
  invalidProtocolMessage([] { over(le32(2) + "\2a").readString(); });
  invalidProtocolMessage([] { over(le32(3) + std::string("\2\0\xd8", 3)).readString(); });
}

TEST(VSerializerTest, ShortReadsFailWithoutMovingTheReadPositionAndMissingBlobsAreNone) {
  vserializer s = over("abc");
  char out[4];
  EXPECT_EQ(invalidProtocolMessage([&] { s.readBytes(out, 4); }), L"Unexpected end of data when read from serializer.");
  EXPECT_EQ(s.readPosition(), 0u);
  s.readBytes(out, 3);
  EXPECT_EQ(std::string(out, 3), "abc");

  // A blob of count zero and the end of the data.
  vserializer blobs = over(le32(0) + le32(2) + "xy");
  EXPECT_FALSE(blobs.readBlob().has_value());
  EXPECT_EQ(blobs.readBlob(), std::optional<std::string>("xy"));
  EXPECT_FALSE(blobs.readBlob().has_value());
}

TEST(VSerializerTest, ErrorReplyThrowsTheServiceTextWithoutCallPoints) {
  vserializer reply;
  reply.writeErrorReply(L"Value PRODUCT_ROOT_D is unknown");
  // The service's own text, not a protocol failure.
  const vexception e = testing_support::failureOf([&] { over(bytesOf(reply)).readString(); });
  EXPECT_EQ(e.message(), L"Value PRODUCT_ROOT_D is unknown");
  EXPECT_TRUE(e.callPoints().empty());
}

TEST(VSerializerTest, UnreadableErrorTextIsADoubleException) {
  const std::string marker = le32(0xFFFFFFFF);
  EXPECT_EQ(invalidProtocolMessage([&] { over(marker).readString(); }), L"Double exception on read from serializer");
  EXPECT_EQ(invalidProtocolMessage([&] { over(marker + le32(9) + "\2ab").readBlob(); }),
            L"Double exception on read from serializer");
  // An error reply nested in the error text.
  EXPECT_EQ(invalidProtocolMessage([&] { over(marker + marker + le32(3) + "\2a").readString(); }),
            L"Double exception on read from serializer");
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

TEST(VSerializerTest, ViewIsCopiedBeforeTheFirstWrite) {
  std::string outside = le32(1) + "\x02";
  vserializer s = vserializer::view(outside.data(), outside.size());
  EXPECT_EQ(s.data(), reinterpret_cast<const uint8_t*>(outside.data()));
  s.writeBytes("zz", 2);
  EXPECT_NE(s.data(), reinterpret_cast<const uint8_t*>(outside.data()));
  EXPECT_EQ(outside, le32(1) + "\x02");
  EXPECT_EQ(bytesOf(s), le32(1) + "\2zz");
}

TEST(VSerializerTest, MoveKeepsContentAndReadPosition) {
  vserializer a;
  a.writeUInt32(7);
  a.writeUInt32(8);
  EXPECT_EQ(a.readUInt32(), 7u);
  vserializer b(std::move(a));
  EXPECT_EQ(b.readUInt32(), 8u);
  vserializer c;
  c = std::move(b);
  EXPECT_EQ(c.size(), 8u);
  EXPECT_EQ(c.remaining(), 0u);
}

TEST(GuidTest, TextRoundTripAndRejectsMalformedText) {
  EXPECT_EQ(guidText(kConfigStringCommand), L"{AD3EBC3C-E6B9-4FCF-ABB9-ED1B3D524F22}");
  EXPECT_EQ(parseGuid(L"{ad3ebc3c-e6b9-4fcf-abb9-ed1b3d524f22}"), kConfigStringCommand);
  EXPECT_FALSE(parseGuid(L"AD3EBC3C-E6B9-4FCF-ABB9-ED1B3D524F22").has_value());
  EXPECT_FALSE(parseGuid(L"{AD3EBC3C-E6B9-4FCF-ABB9-ED1B3D524F2G}").has_value());
  EXPECT_FALSE(parseGuid(L"{AD3EBC3CE-6B9-4FCF-ABB9-ED1B3D524F22}").has_value());
  auto bytes = guidBytes(kConfigStringCommand);
  uint8_t raw[16];
  std::copy(bytes.begin(), bytes.end(), raw);
  EXPECT_EQ(guidFromBytes(raw), kConfigStringCommand);
}

}  // namespace
