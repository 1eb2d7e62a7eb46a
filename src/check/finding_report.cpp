#include "check/finding_report.h"

#include <cstdio>

#include "base/text/unicode.h"

namespace wc {

namespace {

std::string utf8(const std::wstring& text) { return wideToUtf8Lenient(text); }

// A JSON string: the quote, the backslash (in every Windows path) and the
// control characters escaped; everything else as its UTF-8 bytes.
std::string jsonString(const std::wstring& text) {
  std::string out = "\"";
  for (char c : utf8(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (const unsigned byte = static_cast<unsigned char>(c); byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// The document of the findings, with the "fixed" array when there are repairs
// to report.
std::string jsonDocument(const std::vector<Finding>& findings, const std::vector<Repair>* fixed) {
  std::string out = findings.empty() ? "{\"consistent\":true,\"findings\":[" : "{\"consistent\":false,\"findings\":[";
  for (const Finding& f : findings) {
    if (&f != &findings.front()) out += ',';
    out += "{\"kind\":" + jsonString(f.kind) + ",\"host\":" + jsonString(f.host) +
           ",\"problem\":" + jsonString(f.problem) + ",\"file\":" + jsonString(f.file) +
           ",\"line\":" + std::to_string(f.line) + "}";
  }
  out += ']';
  if (fixed) {
    out += ",\"fixed\":[";
    for (const Repair& r : *fixed) {
      if (&r != &fixed->front()) out += ',';
      out += "{\"kind\":" + jsonString(r.kind) + ",\"host\":" + jsonString(r.host) + ",\"done\":" + jsonString(r.done) +
             "}";
    }
    out += ']';
  }
  return out + "}\n";
}

}  // namespace

std::string findingsText(const std::vector<Finding>& findings) {
  std::string out;
  for (const Finding& f : findings) {
    out += utf8(f.kind) + ": " + (f.host.empty() ? "-" : utf8(f.host)) + ": " + utf8(f.problem) + " (" + utf8(f.file);
    // Appended, not ":" + number: GCC 12 takes an insert at the front for an
    // overlapping copy (-Wrestrict).
    if (f.line != 0) out.append(":").append(std::to_string(f.line));
    out += ")\n";
  }
  return out;
}

std::string repairsText(const std::vector<Repair>& repairs) {
  std::string out;
  for (const Repair& r : repairs)
    out += "fixed: " + utf8(r.kind) + ": " + (r.host.empty() ? "-" : utf8(r.host)) + ": " + utf8(r.done) + "\n";
  return out;
}

std::string findingsJson(const std::vector<Finding>& findings) { return jsonDocument(findings, nullptr); }

std::string findingsJson(const std::vector<Finding>& findings, const std::vector<Repair>& fixed) {
  return jsonDocument(findings, &fixed);
}

}  // namespace wc
