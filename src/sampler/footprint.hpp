#pragma once

// The memory a prepared request's lists hold, as counted against its preparation limit.

#include <cstddef>

namespace vantor::sampler {

// The allocator's own bookkeeping for one block: counted with it, so that many small lists are
// not taken as nearly free.
inline constexpr std::size_t kBlockOverhead = 16;

// The bytes a list holds on the heap: its capacity, plus the block's bookkeeping.
template <class List>
std::size_t allocated(const List& list) {
  return list.capacity() == 0
             ? 0
             : list.capacity() * sizeof(typename List::value_type) + kBlockOverhead;
}

}  // namespace vantor::sampler
