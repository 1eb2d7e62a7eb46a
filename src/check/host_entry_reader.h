#pragma once
// The Hosts' entries made from the texts the load of server.xml tells of
// (XmlHostReader), as it passes them: the check reads thousands of Hosts
// without an element made for any of them. An entry holds what hostEntryOf
// would read from the Host's element; a Host whose Alias begins with a
// comment (whose value the element gives in another form) is left to it.

#include <optional>
#include <vector>

#include "base/xml/vxml.h"
#include "check/panel_snapshot.h"

namespace wc {

class HostEntryReader final : public XmlHostReader {
 public:
  // The entry of the Host whose start tag stands at `offset` (vxmlSourceOffset),
  // none when the load told of it not at all or not to its end. Asked in the
  // order of the text; each entry is given once.
  std::optional<HostEntry> take(size_t offset);

  void startTag(size_t offset, std::string_view name) override;
  void attribute(std::string_view name, std::string_view spelled) override;
  void endTag() override;
  void text(std::string_view spelled) override;
  void comment(std::string_view text) override;

 private:
  struct Read {
    size_t offset;
    HostEntry entry;
    bool whole = false;  // told of to its end tag, as hostEntryOf reads it
  };
  enum class Child { Other, Alias, Realm };

  std::vector<Read> read_;
  std::vector<NameAt> aliases_;  // of the Host at hand
  size_t taken_ = 0;             // the entries before it were asked for
  size_t depth_ = 0;             // 1 in the Host's own tag, 2 in a child's
  size_t children_ = 0;
  Child child_ = Child::Other;
  bool aliasValued_ = false;  // the Alias at hand met its first child
  bool plain_ = true;
};

}  // namespace wc
