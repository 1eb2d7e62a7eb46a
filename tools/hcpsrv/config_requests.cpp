#include "config_requests.h"

#include "base/errors/os_error.h"
#include "base/pipes/service_commands.h"
#include "base/pipes/vserializer.h"
#include "base/registry/registry.h"

namespace wc {

namespace {

std::wstring configString(const Context& context, const std::wstring& name) {
  std::wstring value;
  uint32_t code = registry::lookupString(context, registry::Root::LocalMachine, registry::kConfigKey, name, value,
                                         registry::REG_SZ, registry::kView32);
  if (code == ERROR_FILE_NOT_FOUND)
    throw vexception(L"Configuration value '" + name + L"' is not set in HKEY_LOCAL_MACHINE\\" + registry::kConfigKey);
  if (code != ERROR_SUCCESS) {
    std::wstring where = L"reading configuration value '" + name + L"'";
    throw vexception(osErrorText(code, where.c_str()));
  }
  return value;
}

// A request carries no error replies: the marker that starts one in a reply
// (a count of 0xFFFFFFFF) is a malformed request here, not a text to echo.
void refuseErrorMarker(const vserializer& request) {
  if (request.remaining() < 4) return;
  const uint8_t* next = request.data() + request.readPosition();
  if (next[0] == 0xFF && next[1] == 0xFF && next[2] == 0xFF && next[3] == 0xFF)
    throw vexception(
        L"Malformed request for Halvo Management Service: an error reply stands where an argument belongs");
}

}  // namespace

std::string answerRequest(const Context& context, std::string_view body) {
  vserializer response;
  try {
    vserializer request = vserializer::view(body.data(), body.size());
    refuseErrorMarker(request);
    Guid command = request.readGuid();
    if (command != kConfigStringCommand)
      throw vexception(L"Unknown command " + guidText(command) + L" for Halvo Management Service");
    refuseErrorMarker(request);
    std::wstring value = configString(context, request.readString());
    response.writeString(value);
  } catch (const vexception& e) {
    response = vserializer();
    response.writeErrorReply(e.message());
  } catch (const std::exception&) {
    response = vserializer();
    response.writeErrorReply(L"Unexpected error while answering the request");
  }
  return std::string(reinterpret_cast<const char*>(response.data()), response.size());
}

}  // namespace wc
