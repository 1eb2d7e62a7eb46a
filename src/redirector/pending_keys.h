#pragma once
// An ordered list of keys still to be met while walking a file. A line takes
// the first pending occurrence of its key in constant time, so matching a
// whole file against many pending keys stays linear; what is left afterwards
// is visited in the order the keys were added. A key may be added more than
// once; each occurrence is taken by a line of its own.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace wc {

class PendingKeys {
 public:
  // Adds `key` as the last pending key; its position is the count added before.
  void add(std::string key);

  // Drops the first pending occurrence of `key` and answers its position, or
  // nothing when no occurrence is pending.
  std::optional<size_t> take(std::string_view key);

  // Whether an occurrence of `key` is pending; takes nothing.
  bool isPending(std::string_view key) const;

  bool allTaken() const { return pendingCount_ == 0; }

  // Calls visit(key, position) for each key not taken, in the order they
  // were added.
  template <class Visit>
  void forEachPending(Visit&& visit) const {
    for (size_t i = 0; i < keys_.size(); ++i) {
      if (!taken_[i]) visit(keys_[i], i);
    }
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  struct Chain {
    size_t head;  // first pending occurrence, or kNone
    size_t tail;  // last occurrence added
  };

  std::deque<std::string> keys_;  // a deque keeps the strings where the map's views point
  std::vector<bool> taken_;
  std::vector<size_t> nextSame_;  // the next occurrence of the same key, or kNone
  std::unordered_map<std::string_view, Chain> chains_;
  size_t pendingCount_ = 0;
};

}  // namespace wc
