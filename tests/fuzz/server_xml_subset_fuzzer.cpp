// server.xml, loaded by the subset load (Host contents parsed on
// demand) and the full way: any bytes give both the same verdict and, on
// refusal, the same message. An accepted file saves back byte for byte before
// any edit; after the panel's kind of edit of one Host, and after a walk over
// every node, both documents read the same and save the same bytes. The
// check's entries of the Hosts the subset load tells of are what their
// elements give.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/errors/vexception.h"
#include "base/files/file_system.h"
#include "base/system/clock.h"
#include "base/text/unicode.h"
#include "base/xml/vxml.h"
#include "base/xml/xml_child_walk.h"
#include "base/xml/xml_subset_load.h"
#include "check/host_entry_reader.h"
#include "fuzz_check.h"

namespace wc {

using fuzzing::check;

namespace {

// The saves go through the machine's own files.
const Context context{.files = &systemFileSystem(), .clock = &systemClock()};

std::string load(XmlDocument& document, const std::string& path, bool subsetAllowed,
                 XmlHostReader* hostReader = nullptr) {
  try {
    document = loadXmlDocument(utf8ToWideLenient(path), true, false, subsetAllowed, hostReader);
    return {};
  } catch (const vexception& e) {
    return fuzzing::narrow(e.message());
  }
}

// The first element child, or with `tag` the last one of that tag; empty for
// an empty parent.
XmlElement childElement(const XmlNode& parent, const wchar_t* tag = nullptr) {
  XmlElement found;
  if (parent.empty()) return found;
  forEachChildElement(parent, [&](const XmlElement& child, std::string_view tagName) {
    if (tag ? tagNameIs(tagName, tag) : found.empty()) found = child;
  });
  return found;
}

// What the commands do to a Host: an attribute changed, an Alias appended,
// the first child element removed. Both documents get the same edit.
void editHost(const XmlDocument& document) {
  XmlElement host = childElement(childElement(childElement(document.documentElement())), L"Host");
  if (host.empty()) return;
  host.setAttribute(L"appBase", L"/srv/fuzz & co");
  if (XmlElement first = childElement(host); !first.empty()) host.removeChild(first);
  XmlElement alias = document.createElement(L"Alias");
  alias.appendChild(document.createTextNode(L"www.fuzz.example"));
  host.appendChild(alias);
}

// Every entry told of a Host on the fourth level against the Host's element.
void compareHostEntries(const XmlDocument& document, HostEntryReader& reader) {
  forEachChildElement(document.documentElement(), [&](const XmlElement& service, std::string_view) {
    forEachChildElement(service, [&](const XmlElement& engine, std::string_view) {
      forEachChildElement(engine, [&](const XmlElement& host, std::string_view tagName) {
        const std::optional<HostEntry> told = tagName == "Host" ? reader.take(vxmlSourceOffset(host)) : std::nullopt;
        if (!told) return;
        const HostEntry element = hostEntryOf(host);
        check(told->name == element.name && told->appBase == element.appBase && told->realm == element.realm &&
                  told->realmPathname == element.realmPathname && told->aliases.size() == element.aliases.size(),
              "the same Host entry", fuzzing::narrow(element.name));
        for (size_t i = 0; i < element.aliases.size(); ++i) {
          check(told->aliases[i].name == element.aliases[i].name && told->aliases[i].child == element.aliases[i].child,
                "the same Alias", fuzzing::narrow(element.aliases[i].name));
        }
      });
    });
  });
}

// Walks both documents side by side and requires the same nodes.
void compareTrees(const XmlNode& subset, const XmlNode& full) {
  check(subset.nodeType() == full.nodeType() && subset.nodeName() == full.nodeName(), "the same node",
        fuzzing::narrow(subset.nodeName() + L" / " + full.nodeName()));
  check(subset.nodeValue() == full.nodeValue(), "the same value", fuzzing::narrow(subset.nodeName()));
  if (subset.nodeType() == NODE_ELEMENT) {
    check(vxmlSourceLine(XmlElement(subset)) == vxmlSourceLine(XmlElement(full)), "the same source line");
    const XmlAttributeMap a = subset.attributes();
    const XmlAttributeMap b = full.attributes();
    check(a.length() == b.length(), "as many attributes");
    for (int32_t i = 0; i < a.length(); ++i) {
      check(a.item(i).nodeName() == b.item(i).nodeName() && a.item(i).nodeValue() == b.item(i).nodeValue(),
            "the same attribute");
    }
  }
  const XmlNodeList a = subset.childNodes();
  const XmlNodeList b = full.childNodes();
  check(a.length() == b.length(), "as many children", fuzzing::narrow(subset.nodeName()));
  for (int32_t i = 0; i < a.length(); ++i) compareTrees(a.item(i), b.item(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = fuzzing::writeScratchFile("server.xml", bytes);

  XmlDocument subset;
  XmlDocument full;
  HostEntryReader hosts;
  const std::string subsetFailure = load(subset, path, true, &hosts);
  const std::string fullFailure = load(full, path, false);
  check(subsetFailure == fullFailure, "the same verdict and message", subsetFailure + "\n" + fullFailure);
  if (!fullFailure.empty()) return 0;
  compareHostEntries(subset, hosts);

  const std::string copyPath = fuzzing::scratchDirectory() + "/unchanged.xml";
  vxmlSave(context, subset, utf8ToWideLenient(copyPath));
  check(fuzzing::readWholeFile(copyPath) == bytes, "an unedited document saves byte for byte");

  editHost(subset);
  editHost(full);
  const std::string expected = vxmlToUtf8(full);
  check(vxmlToUtf8(subset) == expected, "an edited Host saves the same", expected);
  compareTrees(subset, full);
  const std::string fullPath = fuzzing::scratchDirectory() + "/full.xml";
  vxmlSave(context, subset, utf8ToWideLenient(copyPath));
  vxmlSave(context, full, utf8ToWideLenient(fullPath));
  check(fuzzing::readWholeFile(copyPath) == fuzzing::readWholeFile(fullPath), "a walked document saves the same",
        expected);
  return 0;
}

}  // namespace wc
