#pragma once
// Helpers of the XML layer tests: files in a private directory, loading and
// saving through the layer.

#include <string>

#include "base/xml/vxml.h"
#include "support/sandbox.h"

namespace xml_test {

std::wstring wide(const std::string& utf8);

// The copy of a stock Tomcat server.xml kept with the tests.
std::string stockServerXml();

// Writes `content` to `name` in the directory and loads it.
XmlDocument loadText(const testing_support::TempDir& dir, const std::string& content,
                     const std::string& name = "server.xml");

// Saves into `name` in the directory and returns the bytes written.
std::string saveText(const testing_support::TempDir& dir, const XmlDocument& document,
                     const std::string& name = "saved.xml");

// Loads `content` and checks that saving it unchanged gives the same bytes.
XmlDocument loadUnchanged(const testing_support::TempDir& dir, const std::string& content);

// The element with that tag at that position among the element children.
XmlElement childElement(const XmlNode& parent, const std::wstring& tag, int index = 0);

}  // namespace xml_test
