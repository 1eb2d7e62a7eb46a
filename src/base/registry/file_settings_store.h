#pragma once
// The settings store kept in one file in the text format of registry exports
// (etc/halvo/registry.reg under the sandbox root on POSIX). An open key reads
// a snapshot of its key; every change is merged into the file as it is on
// disk at that moment, under the file's exclusive lock. A file that cannot be
// parsed answers ERROR_REGISTRY_CORRUPT and is never overwritten.

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "base/registry/settings_store.h"

namespace wc {

namespace registry {

class FileSettingsStore : public SettingsStore {
 public:
  // `path` gives the file's path at each call (the sandbox root may change).
  explicit FileSettingsStore(std::function<std::wstring()> path);

  uint32_t openKey(Root root, const std::wstring& subKey, uint32_t access, bool create,
                   std::unique_ptr<KeyHandle>& out) override;
  uint32_t deleteTree(Root root, const std::wstring& subKey) override;
  uint32_t applyEdits(const std::vector<RegKeyEdit>& edits) override;
  std::optional<std::wstring> problem() override;

  // Reads the whole store: 0 or the error code (ERROR_REGISTRY_CORRUPT for a
  // file that cannot be parsed).
  uint32_t read(RegStore& out);
  // Changes the store as it is on disk now; `change` answers 0 to have the
  // result written, or an error code to leave the file as it is.
  uint32_t update(const std::function<uint32_t(RegStore&)>& change);

 private:
  uint32_t parse(const std::string& text, RegStore& out);

  std::function<std::wstring()> path_;
  std::mutex problemLock_;
  std::optional<std::wstring> problem_;
  std::mutex lastReadLock_;
  std::optional<std::string> lastText_;  // the text last parsed without fault
  RegStore lastStore_;                   // what it holds
};

}  // namespace registry

}  // namespace wc
