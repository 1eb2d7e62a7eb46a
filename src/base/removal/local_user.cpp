#include "base/removal/local_user.h"

namespace wc {

namespace {

class SystemLocalUsers : public LocalUsers {
 public:
  void deleteUser(const std::wstring& name) override { deleteSystemLocalUser(name); }
};

}  // namespace

LocalUsers& systemLocalUsers() {
  static SystemLocalUsers users;
  return users;
}

}  // namespace wc
