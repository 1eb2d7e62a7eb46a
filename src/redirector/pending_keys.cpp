#include "redirector/pending_keys.h"

#include <utility>

namespace wc {

void PendingKeys::add(std::string key) {
  const size_t position = keys_.size();
  keys_.push_back(std::move(key));
  taken_.push_back(false);
  nextSame_.push_back(kNone);
  ++pendingCount_;
  auto [it, inserted] = chains_.try_emplace(std::string_view(keys_.back()), Chain{position, position});
  if (inserted) return;
  Chain& chain = it->second;
  if (chain.head == kNone) {
    chain.head = position;
  } else {
    nextSame_[chain.tail] = position;
  }
  chain.tail = position;
}

std::optional<size_t> PendingKeys::take(std::string_view key) {
  auto it = chains_.find(key);
  if (it == chains_.end() || it->second.head == kNone) return std::nullopt;
  const size_t position = it->second.head;
  it->second.head = nextSame_[position];
  taken_[position] = true;
  --pendingCount_;
  return position;
}

bool PendingKeys::isPending(std::string_view key) const {
  if (pendingCount_ == 0) return false;
  auto it = chains_.find(key);
  return it != chains_.end() && it->second.head != kNone;
}

}  // namespace wc
