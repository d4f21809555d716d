// Internals shared by the files of the JSON model: the block pool behind
// nodes, member entries and small item buffers, and the in-order walk of a
// member table.
#pragma once

#include <cstddef>

#include "foundation/superobject.h"

namespace zq::superobject_detail {

// The size of one pool block; nodes and member entries fit one.
constexpr std::size_t kBlockSize = 64;

// A block of at most kBlockSize bytes from the calling thread's pool (a larger
// size, or a sanitizer build, goes to operator new).
void* PoolAlloc(std::size_t size);
// Returns a block from PoolAlloc, from any thread.
void PoolFree(void* p) noexcept;

// Calls f(entry) for the entries of a member tree in order until f gives false;
// false when it stopped early.
template <class F>
bool InOrder(const TSuperTableString::Entry* e, F& f) {
  while (e) {
    if (e->Left && !InOrder(e->Left, f)) return false;
    if (!f(e)) return false;
    e = e->Right;
  }
  return true;
}

}  // namespace zq::superobject_detail
