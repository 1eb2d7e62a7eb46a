#pragma once
// Removing a local account with its profile and disk-quota records.

#include <string>

// Deletes the account; throws vexception when it cannot.
void deleteLocalUser(const std::wstring& name);
