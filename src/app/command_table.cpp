#include "app/command_table.h"

#include "base/log/log.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

namespace {

std::wstring required(const Params& p, const wchar_t* name) { return p.getValue(name, true); }
std::wstring optional(const Params& p, const wchar_t* name, const wchar_t* defaultValue = L"") {
  return p.getValue(name, false, defaultValue);
}

const std::vector<CommandRow> table = {
    {L"--install", nullptr, false, nullptr, nullptr,
     [](TomcatManager& m, const Params&) {
       m.updateIsapiRedirectPropertiesFile();
       m.createHcpDirectories();
       m.disableShutdownPort();
     }},
    {L"--uninstall", nullptr, false, nullptr, nullptr,
     [](TomcatManager& m, const Params&) {
       m.stopService();
       m.removeNodeService();
       m.removeHcpDirectories();
       m.clearIsapiRedirectProperties();
     }},
    {L"--copy-wars-to-var-tomcat-dir", nullptr, false, nullptr, nullptr,
     [](TomcatManager& m, const Params&) { m.copyWarsToVarTomcatDir(); }},
    {L"--install-service", nullptr, true, L"--vhost-name\0--manager-login\0--password\0",
     L"--coyote-connector-port\0--warp-connector-port\0",
     [](TomcatManager& m, const Params& p) {
       m.installService(required(p, L"--vhost-name"), required(p, L"--manager-login"), required(p, L"--password"),
                        optional(p, L"--coyote-connector-port", L"9080"),
                        optional(p, L"--warp-connector-port", L"9008"));
     }},
    {L"--remove-service", nullptr, true, L"--vhost-name\0", nullptr,
     [](TomcatManager& m, const Params& p) { m.removeService(required(p, L"--vhost-name")); }},
    {L"--install-vhost", nullptr, true, L"--vhost-name\0", L"--aliases\0",
     [](TomcatManager& m, const Params& p) {
       m.installVHost(required(p, L"--vhost-name"), optional(p, L"--aliases"));
     }},
    {L"--remove-vhost", nullptr, true, L"--vhost-name\0", nullptr,
     [](TomcatManager& m, const Params& p) { m.removeVHost(required(p, L"--vhost-name")); }},
    {L"--rename-vhost", nullptr, true, L"--old-name\0--new-name\0", L"--aliases\0",
     [](TomcatManager& m, const Params& p) {
       m.renameVHost(required(p, L"--old-name"), required(p, L"--new-name"), optional(p, L"--aliases"));
     }},
    {L"--install-webapp", L"--start-webapp", true, L"--vhost-name\0--webapp-name\0", L"--aliases\0",
     [](TomcatManager& m, const Params& p) {
       m.startWebApp(required(p, L"--vhost-name"), required(p, L"--webapp-name"), optional(p, L"--aliases"));
     }},
    {L"--stop-webapp", nullptr, true, L"--vhost-name\0--webapp-name\0", L"--aliases\0",
     [](TomcatManager& m, const Params& p) {
       m.stopWebApp(required(p, L"--vhost-name"), required(p, L"--webapp-name"), optional(p, L"--aliases"));
     }},
    {L"--remove-webapp", nullptr, true, L"--vhost-name\0--webapp-name\0", L"--aliases\0",
     [](TomcatManager& m, const Params& p) {
       m.removeWebApp(required(p, L"--vhost-name"), required(p, L"--webapp-name"), optional(p, L"--aliases"));
     }},
    {L"--get-webapp-list", nullptr, true, L"--vhost-name\0", L"--started-only\0",
     [](TomcatManager& m, const Params& p) {
       for (const std::wstring& name :
            m.getWebAppList(required(p, L"--vhost-name"), p.hasParameter(L"--started-only"))) {
         logResult(L"%s", name);
       }
     }},
    {L"--add-alias", nullptr, true, L"--vhost-name\0--alias\0", L"--restart\0",
     [](TomcatManager& m, const Params& p) {
       m.addAlias(required(p, L"--vhost-name"), required(p, L"--alias"), p.hasParameter(L"--restart"));
     }},
    {L"--remove-alias", nullptr, true, L"--vhost-name\0--alias\0", L"--restart\0",
     [](TomcatManager& m, const Params& p) {
       m.removeAlias(required(p, L"--vhost-name"), required(p, L"--alias"), p.hasParameter(L"--restart"));
     }},
    {L"--rename-alias", nullptr, true, L"--vhost-name\0--old-alias\0--new-alias\0", L"--restart\0",
     [](TomcatManager& m, const Params& p) {
       m.renameAlias(required(p, L"--vhost-name"), required(p, L"--old-alias"), required(p, L"--new-alias"),
                     p.hasParameter(L"--restart"));
     }},
    {L"--start", nullptr, false, nullptr, nullptr, [](TomcatManager& m, const Params&) { m.startService(); }},
    {L"--stop", nullptr, false, nullptr, nullptr, [](TomcatManager& m, const Params&) { m.stopService(); }},
    {L"--restart", nullptr, false, nullptr, nullptr, [](TomcatManager& m, const Params&) { m.restartService(); }},
    {L"--status", nullptr, false, nullptr, nullptr,
     [](TomcatManager& m, const Params&) { logResult(L"%s", m.serviceStatus()); }},
};

}  // namespace

const std::vector<CommandRow>& commandTable() { return table; }

std::wstring commandListEntry(const CommandRow& row) {
  if (row.secondName) return std::wstring(L"    ") + row.name + L"\n    " + row.secondName;
  return std::wstring(L"   ") + row.name;
}

}  // namespace wc
