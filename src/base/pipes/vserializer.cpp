#include "base/pipes/vserializer.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "base/errors/strict_convert.h"
#include "base/text/unicode.h"

namespace wc {

namespace {

constexpr size_t kGrowthStep = 16;
constexpr uint8_t kCharSizeAnsi = 1;
constexpr uint8_t kCharSizeUtf16 = 2;

}  // namespace

vserializer::vserializer(const void* data, size_t size) { writeBytes(data, size); }

vserializer vserializer::view(const void* data, size_t size) {
  vserializer s;
  s.data_ = static_cast<uint8_t*>(const_cast<void*>(data));
  s.size_ = size;
  s.capacity_ = size;
  s.owns_ = false;
  return s;
}

vserializer::~vserializer() {
  if (owns_) std::free(data_);
}

vserializer::vserializer(vserializer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      readPosition_(std::exchange(other.readPosition_, 0)),
      size_(std::exchange(other.size_, 0)),
      owns_(std::exchange(other.owns_, true)),
      capacity_(std::exchange(other.capacity_, 0)) {}

vserializer& vserializer::operator=(vserializer&& other) noexcept {
  if (this != &other) {
    if (owns_) std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    readPosition_ = std::exchange(other.readPosition_, 0);
    size_ = std::exchange(other.size_, 0);
    owns_ = std::exchange(other.owns_, true);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

void vserializer::reserve(size_t needed) {
  if (needed <= capacity_ && owns_) return;
  if (needed > std::numeric_limits<size_t>::max() - kGrowthStep) throwOutOfMemory();
  size_t rounded = (needed + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
  if (owns_) {
    void* grown = std::realloc(data_, rounded);
    if (!grown) throwOutOfMemory();
    data_ = static_cast<uint8_t*>(grown);
  } else {
    // A viewed buffer is never written: take a copy of our own first.
    void* copy = std::malloc(rounded);
    if (!copy) throwOutOfMemory();
    if (size_) std::memcpy(copy, data_, size_);
    data_ = static_cast<uint8_t*>(copy);
    owns_ = true;
  }
  capacity_ = rounded;
}

uint8_t* vserializer::appendSpace(size_t count) {
  if (count > std::numeric_limits<size_t>::max() - size_) throwOutOfMemory();
  reserve(size_ + count);
  uint8_t* start = data_ + size_;
  size_ += count;
  return start;
}

void vserializer::writeBytes(const void* data, size_t count) {
  if (count == 0) return;
  std::memcpy(appendSpace(count), data, count);
}

void vserializer::writeUInt32(uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  writeBytes(bytes, sizeof bytes);
}

void vserializer::writeBlob(const void* data, size_t count) {
  // The count 0xFFFFFFFF is taken by the error reply.
  if (count >= kErrorReply) throw invalidprotocol(L"Blob is too large to be written to serializer.");
  writeUInt32(static_cast<uint32_t>(count));
  writeBytes(data, count);
}

void vserializer::writeString(std::wstring_view text) {
  std::string body(1, static_cast<char>(kCharSizeUtf16));
  body += wideToUtf16le(text);
  writeBlob(body.data(), body.size());
}

void vserializer::writeAnsiString(std::string_view text) {
  std::string body(1, static_cast<char>(kCharSizeAnsi));
  body += text;
  writeBlob(body.data(), body.size());
}

void vserializer::writeGuid(const Guid& guid) {
  std::array<uint8_t, 16> bytes = guidBytes(guid);
  writeBlob(bytes.data(), bytes.size());
}

void vserializer::writeErrorReply(std::wstring_view text) {
  writeUInt32(kErrorReply);
  writeString(text);
}

void vserializer::readBytes(void* out, size_t count) {
  if (count > remaining()) throw invalidprotocol(L"Unexpected end of data when read from serializer.");
  if (count) std::memcpy(out, data_ + readPosition_, count);
  readPosition_ += count;
}

uint32_t vserializer::readUInt32() {
  uint8_t b[4];
  readBytes(b, sizeof b);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

std::optional<std::string> vserializer::readBlobBody(uint32_t count) {
  if (count == 0) return std::nullopt;
  // Checked before allocating, so that a corrupt count cannot ask for gigabytes.
  if (count > remaining()) throw invalidprotocol(L"Unexpected end of data when read from serializer.");
  std::string bytes(count, '\0');
  readBytes(bytes.data(), count);
  return bytes;
}

std::optional<std::string> vserializer::readBlob() {
  // No item left at all reads as none, so that an empty response fails as a
  // missing string rather than as a truncated one.
  if (remaining() == 0) return std::nullopt;
  uint32_t count = readUInt32();
  if (count == kErrorReply) throwErrorReply();
  return readBlobBody(count);
}

namespace {

std::wstring decodeString(const std::optional<std::string>& blob) {
  if (!blob) throw vserializer::invalidprotocol(L"Unexpected end of data when read C-string from serializer.");
  std::string_view chars = std::string_view(*blob).substr(1);
  switch (static_cast<uint8_t>((*blob)[0])) {
    case kCharSizeAnsi:
      return wstr(chars);
    case kCharSizeUtf16: {
      std::optional<std::wstring> text = chars.size() % 2 == 0 ? utf16leToWide(chars) : std::nullopt;
      if (!text) throw vserializer::invalidprotocol(L"Invalid UTF-16 text when read C-string from serializer.");
      return std::move(*text);
    }
    default:
      throw vserializer::invalidprotocol(L"Unsupported char size when read C-string from serializer.");
  }
}

}  // namespace

void vserializer::throwErrorReply() {
  std::wstring text;
  try {
    // The text itself may not be another error reply.
    uint32_t count = readUInt32();
    if (count == kErrorReply) throw invalidprotocol(L"Nested error reply");
    text = decodeString(readBlobBody(count));
  } catch (...) {
    throw invalidprotocol(L"Double exception on read from serializer");
  }
  throw vexception(text);
}

std::wstring vserializer::readString() { return decodeString(readBlob()); }

Guid vserializer::readGuid() {
  std::optional<std::string> blob = readBlob();
  if (!blob || blob->size() != 16)
    throw invalidprotocol(L"Unexpected size of a command identifier when read from serializer.");
  uint8_t bytes[16];
  std::memcpy(bytes, blob->data(), sizeof bytes);
  return guidFromBytes(bytes);
}

}  // namespace wc
