// server.xml and the panel's elements in it.

#include "base/files/file_name.h"
#include "base/xml/vxml.h"
#include "redirector/isapi_redirector_config.h"
#include "tomcat/hcp_service.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

std::wstring TomcatManager::getServerXmlPath() const {
  return VFileName::combine(VFileName::combine(get_provider()->getTomcatHome(), L"conf"), L"server.xml");
}

XmlDocument TomcatManager::loadServerXml() const {
  XmlDocument document;
  vxmlLoad(document, getServerXmlPath(), /*validateOnParse=*/true, /*resolveExternals=*/false);
  return document;
}

void TomcatManager::saveServerXml(const XmlDocument& document) const {
  vxmlSave(context_, document, getServerXmlPath());
}

bool TomcatManager::editEngine(const std::function<bool(const XmlDocument&, const XmlElement&)>& edit) const {
  const XmlDocument document = loadServerXml();
  const XmlElement engine = findEngine(document);
  if (engine.empty()) return false;
  if (edit(document, engine)) saveServerXml(document);
  return true;
}

XmlElement TomcatManager::findService(const XmlDocument& document) {
  return vxmlFindChildElement(document.documentElement().childNodes(), L"Service", kHcpServiceName);
}

XmlElement TomcatManager::findEngine(const XmlDocument& document) {
  XmlElement service = findService(document);
  if (service.empty()) return XmlElement();
  return vxmlFindChildElement(service.childNodes(), L"Engine", kHcpServiceName);
}

XmlElement TomcatManager::findHost(const XmlElement& engine, const std::wstring& host) {
  return vxmlFindChildElement(engine.childNodes(), L"Host", host);
}

XmlElement TomcatManager::findRealm(const XmlElement& element) {
  XmlNodeList children = element.childNodes();
  for (int32_t i = 0; i < children.length(); ++i) {
    XmlNode child = children.item(i);
    if (vxmlIsNodeOfType(child, NODE_ELEMENT, L"Realm")) return XmlElement(child);
  }
  return XmlElement();
}

XmlElement TomcatManager::findAliasElement(const XmlElement& host, const std::wstring& name) {
  XmlNodeList children = host.childNodes();
  for (int32_t i = 0; i < children.length(); ++i) {
    XmlNode child = children.item(i);
    if (!vxmlIsNodeOfType(child, NODE_ELEMENT, L"Alias")) continue;
    XmlNodeList texts = child.childNodes();
    for (int32_t j = 0; j < texts.length(); ++j) {
      XmlNode text = texts.item(j);
      if (text.nodeType() == NODE_TEXT && text.nodeValue().value_or(L"") == name) return XmlElement(child);
    }
  }
  return XmlElement();
}

IsapiRedirectorConfig TomcatManager::redirectorConfig() const {
  ITomcatProvider* provider = get_provider();
  return IsapiRedirectorConfig(context_, provider->getWorkersPropertiesPath(), provider->getUriWorkerMapPath());
}

}  // namespace wc
