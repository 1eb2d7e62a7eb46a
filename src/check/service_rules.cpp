// The panel's part of server.xml: what --install-service and --install write.

#include "base/xml/vxml.h"
#include "check/check_rules.h"
#include "tomcat/hcp_service.h"

namespace wc {

namespace {

// The Connectors of the Service by protocol: the AJP one names kAjpProtocol,
// the HTTP one names none or an HTTP protocol.
struct Connectors {
  bool ajp = false;
  bool http = false;
};

Connectors connectorsOf(const XmlElement& service) {
  Connectors found;
  XmlNodeList children = service.childNodes();
  for (int32_t i = 0; i < children.length(); ++i) {
    XmlNode child = children.item(i);
    if (!vxmlIsNodeOfType(child, NODE_ELEMENT, L"Connector")) continue;
    const std::wstring protocol = vxmlGetAttribute(child, L"protocol", L"");
    if (protocol == kAjpProtocol)
      found.ajp = true;
    else if (protocol.empty() || protocol.starts_with(L"HTTP/") || protocol.find(L"Http") != std::wstring::npos)
      found.http = true;
  }
  return found;
}

}  // namespace

void checkService(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.serverXml;
  if (snapshot.shutdownPort.value_or(L"") != kShutdownPortDisabled) {
    out.push_back({finding_kind::kShutdownPortEnabled, L"",
                   L"Tomcat's shutdown port is enabled (Server port \"" + snapshot.shutdownPort.value_or(L"") +
                       L"\" instead of \"-1\")",
                   file, snapshot.serverLine()});
  }
  if (snapshot.service.empty()) {
    out.push_back(
        {finding_kind::kServiceMissing, L"", L"The Server has no Service \"HCP\"", file, snapshot.serverLine()});
    return;
  }
  const Connectors connectors = connectorsOf(snapshot.service);
  if (!connectors.ajp) {
    out.push_back({finding_kind::kConnectorMissing, L"", L"The Service \"HCP\" has no AJP Connector", file,
                   snapshot.serviceLine()});
  }
  if (!connectors.http) {
    out.push_back({finding_kind::kConnectorMissing, L"", L"The Service \"HCP\" has no HTTP Connector", file,
                   snapshot.serviceLine()});
  }
  if (snapshot.engine.empty()) {
    out.push_back({finding_kind::kEngineMissing, L"", L"The Service \"HCP\" has no Engine \"HCP\"", file,
                   snapshot.serviceLine()});
  }
}

}  // namespace wc
