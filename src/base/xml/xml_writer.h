#pragma once
// Writes a new XML file from start to end (the realm files of the hosts, the
// deferred-removal storage). The text is built in memory and written at
// endDocument in one atomic replacement of the file, so a reader never sees a
// half-written file and a writer abandoned before endDocument (an exception
// on the way) leaves the old file as it was. When the object is destroyed the
// file is therefore either complete or untouched.
//
// Output: UTF-8 without byte order mark, an XML declaration naming UTF-8, one
// element per line indented by two blanks, elements without content as
// empty-element tags, and attribute values escaped so that they read back
// exactly (quotes, '<', '&', '>', tabs and line breaks included).
//
//   XmlWriter writer;
//   writer.open(context, path);
//   writer.startDocument();
//   writer.startElement(L"tomcat-users");
//   writer.addAttribute(L"username", login);   // attributes before their element
//   writer.startElement(L"user");
//   writer.endElement(L"user");
//   writer.endElement(L"tomcat-users");
//   writer.endDocument();
//
// Misuse (a call out of order, an end tag that does not match, a name XML
// does not allow, a value with a character XML cannot hold) throws vexception
// "Unable to write XML file '<path>': <what>"; nothing is written then.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/files/file_system.h"
#include "base/system/context.h"

namespace wc {

class XmlWriter {
 public:
  // Only UTF-8 is supported; another encoding throws vexception.
  explicit XmlWriter(const std::wstring& encoding = L"UTF-8");
  ~XmlWriter();
  XmlWriter(const XmlWriter&) = delete;
  XmlWriter& operator=(const XmlWriter&) = delete;

  // Names the file to write; an existing file is replaced at endDocument.
  // `permissions`, when given, are what the file gets (see
  // replaceFileAtomically); else it keeps those of the file it replaces.
  void open(const Context& context, const std::wstring& path, const FilePermissions* permissions = nullptr);
  void startDocument();
  // Adds an attribute for the next startElement (names must be unique).
  void addAttribute(const std::wstring& name, const std::wstring& value);
  // Writes the start tag with the pending attributes in the order they were
  // added, then forgets them.
  void startElement(const std::wstring& name);
  void clearAttributes();
  void endElement(const std::wstring& name);
  // Completes the document and writes the file (replaceFileAtomically; its
  // errors name the path).
  void endDocument();

 private:
  enum class State { Created, Opened, Started, Ended };
  [[noreturn]] void fail(const std::wstring& what, const char* function) const;
  void requireState(State expected, const char* function) const;
  void requireName(const std::wstring& name, const char* function) const;
  void closePendingStartTag();
  void newLine(size_t depth);

  Context context_;
  std::wstring path_;
  std::optional<FilePermissions> permissions_;
  State state_ = State::Created;
  std::string text_;
  std::vector<std::pair<std::wstring, std::wstring>> attributes_;
  std::vector<std::wstring> openElements_;
  bool startTagOpen_ = false;  // "<name ..." written, '>' or "/>" not yet
  bool rootWritten_ = false;
};

}  // namespace wc
