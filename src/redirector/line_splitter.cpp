#include "redirector/line_splitter.h"

namespace wc {

void LineSplitter::feed(std::string_view bytes) {
  pending_.append(bytes);
  cutter_.feed(bytes, [this](size_t begin, size_t end) { emit(begin, end); });
  // Only the text of the line still being gathered is kept.
  const size_t keep = cutter_.pendingStart();
  pending_.erase(0, keep - pendingBase_);
  pendingBase_ = keep;
}

void LineSplitter::finish() {
  cutter_.finish([this](size_t begin, size_t end) { emit(begin, end); });
  pending_.clear();
  pendingBase_ = cutter_.pendingStart();
}

void LineSplitter::emit(size_t begin, size_t end) { lines_.emplace_back(pending_, begin - pendingBase_, end - begin); }

}  // namespace wc
