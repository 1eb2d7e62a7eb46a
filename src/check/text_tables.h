#pragma once
// Flat tables of the check's texts, for rules that look at hundreds of
// thousands of lines and names: a comparison written out, an index and a set
// by content without an allocation per text, and one buffer for many ASCII
// texts.

#include <bit>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wc {

namespace text_tables_detail {
template <class Word>
inline Word wordAt(const char* p) {
  Word word;
  std::memcpy(&word, p, sizeof word);
  return word;
}
}  // namespace text_tables_detail

// Equal texts, the comparison written out: the library's goes through a call
// each. 8 (or 4) bytes at a time, the last ones overlapping.
inline bool sameText(std::string_view a, std::string_view b) {
  using text_tables_detail::wordAt;
  const size_t size = a.size();
  if (size != b.size()) return false;
  const char* const x = a.data();
  const char* const y = b.data();
  if (size >= 8) {
    for (size_t i = 0; i + 8 < size; i += 8) {
      if (wordAt<uint64_t>(x + i) != wordAt<uint64_t>(y + i)) return false;
    }
    return wordAt<uint64_t>(x + size - 8) == wordAt<uint64_t>(y + size - 8);
  }
  if (size >= 4) {
    return wordAt<uint32_t>(x) == wordAt<uint32_t>(y) &&
           wordAt<uint32_t>(x + size - 4) == wordAt<uint32_t>(y + size - 4);
  }
  for (size_t i = 0; i < size; ++i) {
    if (x[i] != y[i]) return false;
  }
  return true;
}

// Wide texts (names, not lines) as the library compares them.
inline bool sameText(std::wstring_view a, std::wstring_view b) { return a == b; }

// A hash of a text's bytes, 8 at a time with a multiply each, mixed at the
// end so that the low bits an index keeps depend on all of them: about half
// the library's time on the names of the rules.
template <class Text>
size_t textHash(Text text) {
  using text_tables_detail::wordAt;
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  const char* p = reinterpret_cast<const char*>(text.data());
  size_t size = text.size() * sizeof(text[0]);
  uint64_t hash = size;
  for (; size >= 8; p += 8, size -= 8) hash = (std::rotl(hash, 5) ^ wordAt<uint64_t>(p)) * kMultiplier;
  if (size > 0) {
    uint64_t last = 0;
    std::memcpy(&last, p, size);
    hash = (std::rotl(hash, 5) ^ last) * kMultiplier;
  }
  hash ^= hash >> 32;
  hash *= kMultiplier;
  return static_cast<size_t>(hash ^ (hash >> 29));
}

// Texts looked up by content: an open-addressed table of positions in a list
// of texts, equal texts chained behind the first one. Built once, with no
// allocation per text.
template <class Text>
class BasicTextIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  explicit BasicTextIndex(std::span<const Text> texts) : texts_(texts), next_(texts.size(), kNone) {
    size_t size = 16;
    while (size < texts.size() * 2) size *= 2;
    slots_.assign(size, kNone);
  }

  // Adds texts_[i]; whether no equal text was there.
  bool add(uint32_t i) {
    uint32_t& slot = slots_[slotOf(texts_[i])];
    if (slot == kNone) {
      slot = i;
      return true;
    }
    // Behind the first equal one: a chain is all the equal texts.
    next_[i] = next_[slot];
    next_[slot] = i;
    return false;
  }
  // The first text equal to `text`, the others by next(); kNone after the last.
  uint32_t find(Text text) const { return slots_[slotOf(text)]; }
  uint32_t next(uint32_t i) const { return next_[i]; }

 private:
  // The slot of `text`, or the free one where it would go.
  size_t slotOf(Text text) const {
    const size_t mask = slots_.size() - 1;
    size_t at = textHash(text) & mask;
    while (slots_[at] != kNone && !sameText(texts_[slots_[at]], text)) at = (at + 1) & mask;
    return at;
  }

  std::span<const Text> texts_;
  std::vector<uint32_t> next_;
  std::vector<uint32_t> slots_;
};

using TextIndex = BasicTextIndex<std::string_view>;
using WideTextIndex = BasicTextIndex<std::wstring_view>;

// Texts that live elsewhere, asked for by content: a set with no allocation
// per text. Moved, never copied: the index views the list of views.
class WideTextSet {
 public:
  WideTextSet() : index_(views_) {}
  template <class Texts>
  explicit WideTextSet(const Texts& texts) : views_(texts.begin(), texts.end()), index_(views_) {
    for (uint32_t i = 0; i < views_.size(); ++i) index_.add(i);
  }
  WideTextSet(WideTextSet&&) = default;
  WideTextSet& operator=(WideTextSet&&) = default;

  size_t count(std::wstring_view text) const { return indexOf(text) == WideTextIndex::kNone ? 0 : 1; }
  // Where the text is in the list the set was made of; kNone when it is not.
  uint32_t indexOf(std::wstring_view text) const { return index_.find(text); }

 private:
  std::vector<std::wstring_view> views_;
  WideTextIndex index_;
};

// Texts in the files' form: ASCII ones are copied into one buffer sized for
// all of them, others are converted into strings of their own.
class TextArena {
 public:
  explicit TextArena(size_t asciiSize)
      : ascii_(std::make_unique_for_overwrite<char[]>(asciiSize)), capacity_(asciiSize) {}

  // `text` as it is when it is ASCII, otherwise what `convert` makes of it.
  template <class Convert>
  std::string_view form(const std::wstring& text, Convert&& convert) {
    const size_t size = text.size();
    if (size <= capacity_ - size_) {
      const wchar_t* const in = text.data();
      char* const out = ascii_.get() + size_;
      wchar_t all = 0;
      for (size_t i = 0; i < size; ++i) {
        all |= in[i];
        out[i] = static_cast<char>(in[i]);
      }
      if (static_cast<uint32_t>(all) < 0x80) {
        size_ += size;
        return {out, size};
      }
    }
    return others_.emplace_back(convert());
  }

 private:
  std::unique_ptr<char[]> ascii_;
  size_t capacity_;
  size_t size_ = 0;
  std::deque<std::string> others_;  // stays in place as it grows
};

}  // namespace wc
