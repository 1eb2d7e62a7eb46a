// The management protocol's reader: any bytes as a response or a request
// body. Reads either succeed or throw vexception (malformed data as
// invalidprotocol, the service's error reply as its text); a read never goes
// past the data, a viewed buffer reads exactly like a copied one, what was
// read writes back to the same bytes, and the management service answers
// every request with a response the client can read.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/errors/vexception.h"
#include "base/log/log_manager.h"
#include "base/pipes/guid.h"
#include "base/pipes/service_commands.h"
#include "base/pipes/vserializer.h"
#include "config_requests.h"
#include "fuzz_check.h"

namespace wc {

using fuzzing::check;

namespace {

// One read and its outcome, to compare two readers of the same bytes.
struct Failure {
  bool protocol;  // invalidprotocol rather than the service's error reply
  std::wstring message;
  bool operator==(const Failure&) const = default;
};
using Outcome = std::variant<uint32_t, std::optional<std::string>, std::wstring, Guid, Failure>;

enum class Read { UInt32, Blob, String, Guid };

Outcome readOne(vserializer& in, Read what) {
  const size_t before = in.readPosition();
  try {
    Outcome result;
    switch (what) {
      case Read::UInt32:
        result = in.readUInt32();
        break;
      case Read::Blob:
        result = in.readBlob();
        break;
      case Read::String:
        result = in.readString();
        break;
      case Read::Guid:
        result = in.readGuid();
        break;
    }
    check(in.readPosition() > before || in.remaining() == 0, "a successful read moves on or is at the end");
    check(in.readPosition() <= in.size(), "a read stays within the data");
    return result;
  } catch (const vserializer::invalidprotocol& e) {
    check(in.readPosition() <= in.size(), "a failed read stays within the data");
    return Failure{true, e.message()};
  } catch (const vexception& e) {
    return Failure{false, e.message()};
  }
}

// The reads a client would make, chosen by the first byte, over the rest.
std::vector<Outcome> readAll(vserializer& in, uint8_t plan) {
  std::vector<Outcome> outcomes;
  for (int step = 0; step < 8; ++step) {
    const Read what = static_cast<Read>((plan >> ((step % 4) * 2)) & 3);
    outcomes.push_back(readOne(in, what));
    if (std::holds_alternative<Failure>(outcomes.back())) break;
  }
  return outcomes;
}

// A text read from the wire writes back and reads again as itself.
void checkRoundTrips(const std::vector<Outcome>& outcomes) {
  for (const Outcome& outcome : outcomes) {
    if (const std::wstring* text = std::get_if<std::wstring>(&outcome)) {
      vserializer out;
      out.writeString(*text);
      vserializer in(out.data(), out.size());
      check(in.readString() == *text && in.remaining() == 0, "a string read from the wire writes back as itself");
    } else if (const Guid* guid = std::get_if<Guid>(&outcome)) {
      vserializer out;
      out.writeGuid(*guid);
      vserializer in(out.data(), out.size());
      check(in.readGuid() == *guid, "a command identifier writes back as itself");
    } else if (const auto* blob = std::get_if<std::optional<std::string>>(&outcome)) {
      if (!*blob) continue;
      vserializer out;
      out.writeBlob((*blob)->data(), (*blob)->size());
      vserializer in(out.data(), out.size());
      check(in.readBlob() == *blob, "a blob writes back as itself");
    }
  }
}

// The service answers anything with a response that reads as a string or as
// its error reply, never as broken data.
void checkServiceAnswer(std::string_view body) {
  const std::string response = answerRequest(processMachine(), body);
  vserializer in = vserializer::view(response.data(), response.size());
  try {
    in.readString();
    check(in.remaining() == 0, "a service response holds one string");
  } catch (const vserializer::invalidprotocol& e) {
    fuzzing::fail("the service's response is well-formed", fuzzing::narrow(e.message()));
  } catch (const vexception& e) {
    check(!e.message().empty(), "the service's error reply says why");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The service reads its answers from the settings of a private machine.
  fuzzing::useSandboxMachine(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n"
      "\"PRODUCT_ROOT_D\"=\"/opt/halvo\"\n"
      "\"PRODUCT_DATA_D\"=\"/var/opt/halvo\"\n"
      "\"Debug\"=dword:00000001\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t plan = data[0];
  const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);

  vserializer viewed = vserializer::view(body.data(), body.size());
  const std::vector<Outcome> fromView = readAll(viewed, plan);
  vserializer copied(body.data(), body.size());
  const std::vector<Outcome> fromCopy = readAll(copied, plan);
  check(fromView == fromCopy, "a viewed buffer reads like a copied one");
  check(viewed.readPosition() == copied.readPosition(), "a viewed buffer reads as far as a copied one");
  checkRoundTrips(fromView);

  // Writing after reading a view copies it first: the caller's bytes stay.
  viewed.writeUInt32(0xA5A5A5A5);
  check(std::string_view(reinterpret_cast<const char*>(viewed.data()), body.size()) == body,
        "writing to a viewed buffer keeps what it held");

  checkServiceAnswer(body);
  // The same request with the one command the service knows.
  vserializer request;
  request.writeGuid(kConfigStringCommand);
  request.writeBytes(body.data(), body.size());
  checkServiceAnswer(std::string_view(reinterpret_cast<const char*>(request.data()), request.size()));
  return 0;
}

}  // namespace wc
