#pragma once
// Removing a local account with its profile and disk-quota records.

#include <functional>
#include <string>

namespace wc {

// Deletes the account; throws vexception when it cannot.
void deleteLocalUser(const std::wstring& name);

// What deleteLocalUser does on this platform (local_user_<platform>.cpp).
void deleteSystemLocalUser(const std::wstring& name);

// Tests put a deletion of their own in the system's place, so that no test
// ever deletes an account of the machine it runs on; an empty function puts
// the system's back.
void setLocalUserDeletionForTesting(std::function<void(const std::wstring& name)> deletion);

}  // namespace wc
