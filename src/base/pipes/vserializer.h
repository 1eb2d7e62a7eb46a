#pragma once
// The byte buffer of the management-service channel: requests are written
// into one, responses are read out of one. All integers are unsigned 32-bit
// little-endian; a blob is a count and that many bytes; a string is a blob
// whose first byte is the character size (2: UTF-16LE, 1: ANSI code page).
// A blob count of 0xFFFFFFFF is the service's error reply: an error text
// follows, and reading it throws that text as a vexception.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/errors/vexception.h"
#include "base/pipes/guid.h"

namespace wc {

class vserializer {
 public:
  // Malformed data on the channel.
  class invalidprotocol : public vexception {
   public:
    using vexception::vexception;
  };

  static constexpr uint32_t kErrorReply = 0xFFFFFFFF;

  vserializer() = default;
  // A copy of `size` bytes, ready to be read from the start.
  vserializer(const void* data, size_t size);
  // Reads `size` bytes that stay owned by the caller and must outlive the
  // serializer; the first write copies them into a buffer of its own.
  static vserializer view(const void* data, size_t size);
  ~vserializer();
  vserializer(vserializer&& other) noexcept;
  vserializer& operator=(vserializer&& other) noexcept;
  vserializer(const vserializer&) = delete;
  vserializer& operator=(const vserializer&) = delete;

  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  size_t readPosition() const { return readPosition_; }
  size_t remaining() const { return size_ - readPosition_; }

  void writeBytes(const void* data, size_t count);
  // Grows the written part by `count` bytes and returns where they start, for
  // filling them in place (a pipe read).
  uint8_t* appendSpace(size_t count);
  void writeUInt32(uint32_t value);
  void writeBlob(const void* data, size_t count);
  // Character size 2: what the client always writes.
  void writeString(std::wstring_view text);
  // Character size 1: ANSI code page text, as some services answer.
  void writeAnsiString(std::string_view text);
  void writeGuid(const Guid& guid);
  // The error marker followed by the text, as the service reports a failure.
  void writeErrorReply(std::wstring_view text);

  // Throws invalidprotocol "Unexpected end of data when read from serializer."
  // when fewer than `count` bytes remain.
  void readBytes(void* out, size_t count);
  uint32_t readUInt32();
  // Nothing for a blob of count 0 and at the end of the data; the service's
  // error reply is thrown.
  std::optional<std::string> readBlob();
  std::wstring readString();
  // A blob of exactly 16 bytes.
  Guid readGuid();

 private:
  void reserve(size_t needed);
  std::optional<std::string> readBlobBody(uint32_t count);
  [[noreturn]] void throwErrorReply();

  uint8_t* data_ = nullptr;
  size_t readPosition_ = 0;
  size_t size_ = 0;
  bool owns_ = true;
  size_t capacity_ = 0;
};

}  // namespace wc
