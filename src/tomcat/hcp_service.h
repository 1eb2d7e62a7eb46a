#pragma once

namespace wc {

// The panel's Service in server.xml as --install-service writes it.

// The name of the panel's Service and of its Engine.
inline constexpr const wchar_t* kHcpServiceName = L"HCP";
// The protocol of its AJP Connector; its HTTP Connector names none (HTTP/1.1).
inline constexpr const wchar_t* kAjpProtocol = L"AJP/1.3";
// The Server's port attribute once the shutdown port is disabled.
inline constexpr const wchar_t* kShutdownPortDisabled = L"-1";

}  // namespace wc
