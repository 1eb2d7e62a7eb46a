#pragma once
// Helpers of the XML layer tests: files in a private directory, loading and
// saving through the layer, and the failures of misuse.

#include <functional>
#include <string>

#include "base/xml/vxml.h"
#include "support/sandbox.h"

namespace wc {

namespace xml_test {

// The copy of a stock Tomcat server.xml kept with the tests.
std::string stockServerXml();

// The directory of the files below, one for the test program.
const testing_support::TempDir& scratch();

// Writes `content` to `name` in the directory and loads it.
XmlDocument loadText(const std::string& content, const std::string& name = "server.xml");

// Saves into `name` in the directory and returns the bytes written.
std::string saveText(const XmlDocument& document, const std::string& name = "saved.xml");

// Loads `content` and checks that saving it unchanged gives the same bytes.
XmlDocument loadUnchanged(const std::string& content);

// Loads `content` from bad.xml, which must fail with a message that ends with
// " at load <path>"; gives the message without that ending.
std::wstring loadFailureReason(const std::string& content);

// The element with that tag at that position among the element children.
XmlElement childElement(const XmlNode& parent, const std::wstring& tag, int index = 0);

// The HRESULT of the ComError that `action` ends with; 0 when it ends normally.
uint32_t comErrorOf(const std::function<void()>& action);

}  // namespace xml_test

}  // namespace wc
