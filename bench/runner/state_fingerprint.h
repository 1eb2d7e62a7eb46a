#pragma once
// What a command left behind, in a form that does not depend on how it was
// written: server.xml without comments and layout, the property files as
// sorted sets of lines, the per-host files as a sorted list, and the listed
// names. The three variants of a command must leave the same fingerprint.

#include <string>

namespace bench {

struct StateFingerprint {
  std::string serverXml;
  std::string workers;
  std::string uriWorkerMap;
  std::string files;
  std::string listing;
};

// `listingOutput` is the output of a listing command, or empty.
StateFingerprint takeFingerprint(const std::string& tomcatHome, const std::string& varTomcatDir,
                                 const std::string& listingOutput);

// Empty when both are the same; else which part differs and its first
// differing line in each.
std::string describeDifference(const StateFingerprint& expected, const StateFingerprint& actual);

}  // namespace bench
