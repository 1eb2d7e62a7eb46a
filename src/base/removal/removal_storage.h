#pragma once
// The removal storage as one process works on it: the entries as loaded plus
// the entries added and removed since. Changes never go out from the loaded
// copy: commit() merges them into a fresh copy of the file, so that entries
// other processes registered meanwhile survive.

#include <cstddef>
#include <string>
#include <vector>

#include "base/removal/removal_entry.h"
#include "base/system/context.h"

namespace wc {

class RemovalStorage {
 public:
  RemovalStorage(const Context& context, std::wstring path);

  // Reads the file under the storage mutex (a missing file is empty).
  void load();
  // The entries as last loaded or committed.
  const std::vector<RemovalEntry>& entries() const { return entries_; }

  void add(RemovalEntry entry);
  // Marks the entry with this Id for removal at the next commit.
  void remove(const std::wstring& id);

  // Under the storage mutex: reads the file afresh, inserts the added
  // entries, erases the removed ones, writes it (when anything was pending)
  // and answers how many entries it holds now. The pending changes are then
  // done with; a failure keeps them and leaves the file as it was.
  size_t commit();

  const std::wstring& path() const { return path_; }

 private:
  const Context context_;
  std::wstring path_;
  std::vector<RemovalEntry> entries_;
  std::vector<RemovalEntry> added_;
  std::vector<std::wstring> removed_;
};

}  // namespace wc
