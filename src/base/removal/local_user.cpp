#include "base/removal/local_user.h"

#include <utility>

namespace wc {

namespace {

std::function<void(const std::wstring&)>& deletionForTesting() {
  static std::function<void(const std::wstring&)> deletion;
  return deletion;
}

}  // namespace

void deleteLocalUser(const std::wstring& name) {
  if (deletionForTesting()) return deletionForTesting()(name);
  deleteSystemLocalUser(name);
}

void setLocalUserDeletionForTesting(std::function<void(const std::wstring& name)> deletion) {
  deletionForTesting() = std::move(deletion);
}

}  // namespace wc
