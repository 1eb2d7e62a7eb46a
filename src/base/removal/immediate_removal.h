#pragma once
// Removing registered entries now (ImmediatelyFilesRemoval): a file or a
// folder with its whole tree, stopping the entry's service once when the
// path is locked. Failures of an entry are logged, never thrown: the entry
// then stays registered.

#include "base/removal/removal_entry.h"
#include "base/removal/service_name_set.h"
#include "base/system/context.h"

namespace wc {

class ImmediatelyFilesRemoval {
 public:
  explicit ImmediatelyFilesRemoval(const Context& context) : context_(context) {}
  // True when what the entry names is gone (or was never there).
  bool remove(const RemovalEntry& entry);

  // The services this object stopped because they were running and held a
  // path; the caller starts them again.
  const ServiceNameSet& stoppedServices() const { return stopped_; }

 private:
  bool deleteGenericsFiles(const RemovalEntry& entry);
  bool deleteUser(const RemovalEntry& entry);
  void stopServiceFor(const RemovalEntry& entry);

  const Context context_;
  ServiceNameSet stopped_;
};

}  // namespace wc
