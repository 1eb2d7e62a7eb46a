#include "base/removal/removal_storage_file.h"

#include <set>

#include "base/errors/vexception.h"
#include "base/files/directory.h"
#include "base/files/file_exist.h"
#include "base/files/file_name.h"
#include "base/registry/registry.h"
#include "base/text/vaformat.h"
#include "base/xml/vxml.h"
#include "base/xml/xml_writer.h"

namespace wc {

namespace {

const wchar_t kRootTag[] = L"Entries";
const wchar_t kEntryTag[] = L"Entry";

[[noreturn]] void failEntry(const std::wstring& reason, int number, const std::wstring& path) {
  throw vexception(vaformat(L"Unable to load entry from XML: %s (entry %d of '%s')", reason, number, path),
                   VCALLPOINT(L"", "readRemovalEntries"));
}

std::wstring requiredAttribute(const XmlElement& element, const wchar_t* name, int number, const std::wstring& path) {
  std::optional<std::wstring> value = element.getAttribute(name);
  if (!value) failEntry(vaformat(L"the attribute %s is missing", name), number, path);
  return *value;
}

RemovalEntry readEntry(const XmlElement& element, int number, const std::wstring& path) {
  if (element.tagName() != kEntryTag) {
    failEntry(vaformat(L"unexpected element <%s>", element.tagName()), number, path);
  }
  RemovalEntry entry;
  entry.id = requiredAttribute(element, L"Id", number, path);
  entry.uri = requiredAttribute(element, L"URI", number, path);
  const std::wstring type = requiredAttribute(element, L"URIType", number, path);
  // Service names no service when it is absent, as an empty value does.
  entry.service = element.getAttribute(L"Service").value_or(L"");
  if (entry.id.empty()) failEntry(L"the Id is empty", number, path);
  if (entry.uri.empty()) failEntry(L"the URI is empty", number, path);
  try {
    entry.type = uriTypeFromString(type);
  } catch (const vexception& e) {
    failEntry(e.message(), number, path);
  }
  return entry;
}

}  // namespace

std::wstring removalStoragePath(const Context& context) {
  std::wstring root = registry::getstr(context, registry::Root::LocalMachine, registry::kConfigKey, L"PRODUCT_ROOT_D",
                                       registry::kView32);
  if (root.empty()) {
    throw vexception(L"The product root directory (PRODUCT_ROOT_D) is empty", VCALLPOINT(L"", "removalStoragePath"));
  }
  return VFileName::combine(VFileName::combine(root, L"etc"), L"DeferredRemovalStorage.xml");
}

std::vector<RemovalEntry> readRemovalEntries(const Context& context, const std::wstring& path) {
  std::vector<RemovalEntry> entries;
  if (!fileExist(context, path)) return entries;
  XmlDocument document;
  vxmlLoad(document, path, false, false);
  XmlElement root = document.documentElement();
  if (root.empty() || root.tagName() != kRootTag) {
    throw vexception(vaformat(L"The removal storage '%s' has no <%s> root element", path, kRootTag),
                     VCALLPOINT(L"", "readRemovalEntries"));
  }
  std::set<std::wstring> ids;
  XmlNodeList children = root.childNodes();
  int number = 0;
  for (int32_t i = 0; i < children.length(); ++i) {
    XmlNode child = children.item(i);
    if (child.nodeType() != NODE_ELEMENT) continue;  // comments and the like carry nothing
    RemovalEntry entry = readEntry(XmlElement(child), ++number, path);
    if (!ids.insert(entry.id).second) failEntry(L"the Id " + entry.id + L" is used twice", number, path);
    entries.push_back(std::move(entry));
  }
  return entries;
}

void writeRemovalEntries(const Context& context, const std::wstring& path, const std::vector<RemovalEntry>& entries) {
  XmlWriter writer(L"UTF-8");
  writer.open(context, path);
  writer.startDocument();
  writer.startElement(kRootTag);
  for (const RemovalEntry& entry : entries) {
    writer.addAttribute(L"Id", entry.id);
    writer.addAttribute(L"URI", entry.uri);
    writer.addAttribute(L"URIType", uriTypeToString(entry.type));
    writer.addAttribute(L"Service", entry.service);
    writer.startElement(kEntryTag);
    writer.endElement(kEntryTag);
  }
  writer.endElement(kRootTag);
  // The writer has checked every name and value by now; only the file is left.
  VDirectory::createDirectory(context, VFileName::parent(path));
  writer.endDocument();
}

}  // namespace wc
