#include "base/pipes/halvo_srv_client.h"

#include "base/errors/vguard.h"
#include "base/pipes/service_commands.h"
#include "base/registry/registry.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {
constexpr uint32_t kConnectTries = 5;
}

HalvoSrvClient& HalvoSrvClient::getInstance(const Context& context) {
  return vguard("HalvoSrvClient::getInstance", __LINE__, L"get shared instance of HalvoSrvClient",
                [&context]() -> HalvoSrvClient& {
                  static HalvoSrvClient instance(context);
                  return instance;
                });
}

HalvoSrvClient::HalvoSrvClient(const Context& context)
    : vpipechannel::client(context, registry::kConfigKey, L"hcppipe") {
  connect(kConnectTries);
}

std::wstring HalvoSrvClient::getString(const std::wstring& name) {
  return vguard(
      "HalvoSrvClient::getString", __LINE__, [&] { return vaformat(L"getString(%s)", name); },
      [&] {
        vserializer arguments;
        arguments.writeString(name);
        vserializer response = query(kConfigStringCommand, arguments);
        return response.readString();
      });
}

}  // namespace wc
