// server.xml: any bytes as the file. Loading either fails with its message or
// gives a document that saves back byte for byte; the panel's path through
// it (find Service, Engine and Host, append a Host with an Alias, save) always
// gives a file that loads again, holds the new element with its values, and
// reads as the document that was saved.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/errors/com_error.h"
#include "base/errors/vexception.h"
#include "base/files/file_system.h"
#include "base/system/clock.h"
#include "base/text/strings.h"
#include "base/text/unicode.h"
#include "base/xml/vxml.h"
#include "fuzz_check.h"

namespace wc {

using fuzzing::check;

namespace {

// The machine's files and clock, which the saves go through.
const Context context{.files = &systemFileSystem(), .clock = &systemClock()};

// Values that need escaping in attributes and in text, and a character
// beyond ASCII that every encoding of the layer can hold.
const std::wstring kHostName = L"fuzz.example & <co> \"q\" 'a' \u00e9";
const std::wstring kAppBase = L"C:\\hcp-webapps\\fuzz.example\t\n";
const std::wstring kAliasText = L"www.fuzz.example ]]> &amp; <";

// The names the panel's operations and a stock file use, in that order.
const wchar_t* const kNames[] = {L"HCP", L"Catalina", L"localhost"};

// The deepest of Service, Engine, Host that can be found from the document
// element; the document element itself when there is no Service.
XmlElement findPanelParent(const XmlDocument& document) {
  XmlElement parent = document.documentElement();
  for (const wchar_t* tag : {L"Service", L"Engine", L"Host"}) {
    XmlElement found;
    for (const wchar_t* name : kNames) {
      found = vxmlFindChildElement(parent.childNodes(), tag, name);
      if (!found.empty()) {
        check(equalsIgnoreCase(found.tagName(), tag), "a found element has the tag asked for",
              fuzzing::narrow(found.tagName()));
        check(vxmlGetAttribute(found, L"name", L"") == name, "a found element has the name asked for");
        check(found.parentNode() == parent, "a found element is a child of the list's node");
        break;
      }
    }
    if (found.empty()) break;
    parent = found;
  }
  return parent;
}

// The element that findPanelParent would reach, and the host appended to it.
XmlElement findAppendedHost(const XmlDocument& document) {
  XmlElement parent = findPanelParent(document);
  return vxmlFindChildElement(parent.childNodes(), L"host", kHostName);
}

std::string load(XmlDocument& document, const std::string& path) {
  try {
    vxmlLoad(document, utf8ToWideLenient(path), false, false);
    return {};
  } catch (const vexception& e) {
    return fuzzing::narrow(e.message());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = fuzzing::writeScratchFile("server.xml", bytes);

  XmlDocument document;
  if (std::string failure = load(document, path); !failure.empty()) {
    check(endsWith(utf8ToWideLenient(failure), L" at load " + utf8ToWideLenient(path)), "a load failure names the file",
          failure);
    check(document.empty(), "a failed load leaves the document as it was");
    return 0;
  }

  // Saved without an edit, the file comes back byte for byte.
  const std::string copyPath = fuzzing::scratchDirectory() + "/unchanged.xml";
  vxmlSave(context, document, utf8ToWideLenient(copyPath));
  const std::string unchanged = fuzzing::readWholeFile(copyPath);
  check(unchanged == bytes, "an unedited document saves byte for byte", unchanged);

  XmlElement root = document.documentElement();
  if (root.empty()) return 0;

  XmlElement parent = findPanelParent(document);
  XmlElement host = document.createElement(L"Host");
  host.setAttribute(L"name", kHostName);
  host.setAttribute(L"appBase", kAppBase);
  XmlElement alias = document.createElement(L"Alias");
  alias.appendChild(document.createTextNode(kAliasText));
  host.appendChild(alias);
  parent.appendChild(host);
  check(findAppendedHost(document) == host, "the appended host is found where it was appended");

  const std::string expected = vxmlToUtf8(document);
  const std::wstring savePath = utf8ToWideLenient(path);
  try {
    vxmlSave(context, document, savePath);
  } catch (const vexception& e) {
    check(fuzzing::readWholeFile(path) == bytes, "a failed save leaves the file intact", fuzzing::narrow(e.message()));
    return 0;
  }

  XmlDocument reloaded;
  if (std::string failure = load(reloaded, path); !failure.empty()) {
    fuzzing::fail("a saved server.xml loads again", failure + "\n" + expected);
  }
  check(vxmlToUtf8(reloaded) == expected, "a saved document reads back as itself", expected);

  XmlElement found = findAppendedHost(reloaded);
  check(!found.empty(), "the appended host is there after a reload", expected);
  check(vxmlGetAttribute(found, L"appBase", L"") == kAppBase, "an attribute value survives a save and load",
        fuzzing::narrow(vxmlGetAttribute(found, L"appBase", L"")));
  XmlElement foundAlias = vxmlFindChildElement(found.childNodes(), L"Alias", L"");
  check(!foundAlias.empty(), "the host's alias is there after a reload");
  check(vxmlGetNodeValue(foundAlias.firstChild(), L"") == kAliasText, "a text survives a save and load",
        fuzzing::narrow(vxmlGetNodeValue(foundAlias.firstChild(), L"")));
  return 0;
}

}  // namespace wc
