#pragma once
// The removal storage on disk: "etc/DeferredRemovalStorage.xml" under the
// product root, an "Entries" element with one empty "Entry" element per
// registered item:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <Entries>
//     <Entry Id="..." URI="/path" URIType="Path" Service="Tomcat"/>
//   </Entries>
//
// The caller holds the storage mutex around every read and write.

#include <string>
#include <vector>

#include "base/removal/removal_entry.h"
#include "base/system/context.h"

namespace wc {

// Guards reading and writing the storage file across processes, in every
// session: Global\, as the run lock, so that a run from a person's session and
// one from a service or the scheduled task take turns.
inline const std::wstring kRemovalStorageMutex = L"Global\\{B1992897-0819-47ab-8B7D-60DDE2CB3F75}";

// PRODUCT_ROOT_D of the panel's configuration key joined with "etc" and
// "DeferredRemovalStorage.xml". A missing or empty value throws.
std::wstring removalStoragePath(const Context& context);

// The entries of the file in file order; a missing file holds none. An entry
// without Id, URI or URIType, with an empty Id or URI, an unknown URIType, an
// Id seen before, or an element other than "Entry" throws vexception "Unable
// to load entry from XML: <reason> (entry <n> of '<path>')". A file that is
// not XML fails with the XML layer's load error; nothing is changed either way.
std::vector<RemovalEntry> readRemovalEntries(const Context& context, const std::wstring& path);

// Writes the file whole (the directory is made when missing); the old file
// stays as it was when writing fails.
void writeRemovalEntries(const Context& context, const std::wstring& path, const std::vector<RemovalEntry>& entries);

}  // namespace wc
