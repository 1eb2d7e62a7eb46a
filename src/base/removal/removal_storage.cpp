#include "base/removal/removal_storage.h"

#include <algorithm>

#include "base/removal/removal_storage_file.h"
#include "base/system/named_mutex.h"

namespace wc {

RemovalStorage::RemovalStorage(const Context& context, std::wstring path) : context_(context), path_(std::move(path)) {}

void RemovalStorage::load() {
  NamedMutexLock lock(kRemovalStorageMutex, "RemovalStorage::load");
  entries_ = readRemovalEntries(context_, path_);
}

void RemovalStorage::add(RemovalEntry entry) { added_.push_back(std::move(entry)); }

void RemovalStorage::remove(const std::wstring& id) { removed_.push_back(id); }

size_t RemovalStorage::commit() {
  NamedMutexLock lock(kRemovalStorageMutex, "RemovalStorage::commit");
  std::vector<RemovalEntry> fresh = readRemovalEntries(context_, path_);
  auto hasId = [](const std::wstring& id) { return [&id](const RemovalEntry& e) { return e.id == id; }; };
  for (const RemovalEntry& entry : added_) {
    if (std::none_of(fresh.begin(), fresh.end(), hasId(entry.id))) fresh.push_back(entry);
  }
  for (const std::wstring& id : removed_) {
    std::erase_if(fresh, hasId(id));
  }
  // Without changes the file stays as it is (and a missing one missing).
  if (!added_.empty() || !removed_.empty()) writeRemovalEntries(context_, path_, fresh);
  entries_ = std::move(fresh);
  added_.clear();
  removed_.clear();
  return entries_.size();
}

}  // namespace wc
