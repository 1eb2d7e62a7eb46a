// The commands replace server.xml, the realm files and the redirector's
// property files whole, through a temporary file beside each that is renamed
// over it (atomic_write.h). A run
// killed before its rename leaves that file behind: the old file stands, and
// the temporary one holds a change that never happened.

#include "base/files/atomic_write.h"
#include "base/files/path_root.h"
#include "check/check_rules.h"
#include "panel/host_paths.h"
#include "panel/path_join.h"

namespace wc {

void checkTemporaryFiles(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  for (const WholeSavedFile& saved : snapshot.wholeSavedFiles) {
    const DirectoryEntries& directory = snapshot.savedFileDirectories[saved.directory];
    for (const std::wstring& name : directory.names) {
      const std::optional<std::wstring_view> replaced = replacedFileOfTemporary(name);
      if (!replaced || !samePathText(*replaced, saved.name)) continue;
      out.push_back({finding_kind::kTemporaryFileLeft,
                     L"",
                     std::wstring(L"A save of ") + saved.what + L" that did not finish left this file",
                     join(directory.path, {name}),
                     0,
                     {.path = join(directory.path, {name})}});
    }
  }
  for (const std::wstring& name : snapshot.realmFiles.names) {
    const std::optional<std::wstring_view> realm = replacedFileOfTemporary(name);
    const std::optional<std::wstring_view> host = realm ? hostOfRealmFileName(*realm) : std::nullopt;
    if (!host) continue;
    out.push_back({finding_kind::kTemporaryFileLeft,
                   shownName(std::wstring(*host)),
                   L"A save of the realm file that did not finish left this file",
                   join(snapshot.realmFiles.path, {name}),
                   0,
                   {.path = join(snapshot.realmFiles.path, {name})}});
  }
}

}  // namespace wc
