#pragma once
// Removing a local account with its profile and disk-quota records.

#include <string>

namespace wc {

// The machine's local accounts; tests give a fake of their own, so that no
// test ever deletes an account of the machine it runs on.
class LocalUsers {
 public:
  virtual ~LocalUsers() = default;
  // Deletes the account; throws vexception when it cannot.
  virtual void deleteUser(const std::wstring& name) = 0;
};

// The system's accounts.
LocalUsers& systemLocalUsers();

// What the system's deleteUser does on this platform (local_user_<platform>.cpp).
void deleteSystemLocalUser(const std::wstring& name);

}  // namespace wc
