// The per-thread block pools nodes and member entries are allocated from.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#include "foundation/superobject.h"
#include "foundation/superobject_internal.h"

namespace zq {

using superobject_detail::kBlockSize;

namespace {

// Nodes and member entries come from per-thread pools of 64-byte blocks
// carved from 64 KB slabs. Documents allocate and free millions of them; the
// general-purpose allocator spends its time consolidating, and a plain free
// list scatters later documents over memory. A pool therefore counts its
// live blocks and, whenever the count drops to zero (every document built on
// the thread has been released), starts again at the beginning of its first
// slab, so that a document's nodes lie side by side in the order they were
// made. A block released on another thread goes to its pool's "remote" list
// under that pool's lock. A pool outlives its thread and is handed to the next
// thread that starts. Slabs are kept for reuse. Sanitizer builds use plain
// new/delete so that use-after-free stays detectable.
#if defined(__SANITIZE_ADDRESS__)
#define ZQ_SUPER_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZQ_SUPER_POOL 0
#endif
#endif
#ifndef ZQ_SUPER_POOL
#define ZQ_SUPER_POOL 1
#endif
constexpr std::size_t kSlabSize = 64 * 1024;

struct FreeBlock {
  FreeBlock* next;
};

struct Pool;

// The first block of every slab.
struct SlabHeader {
  Pool* owner;
};

struct Pool {
  // Owner thread only.
  FreeBlock* free = nullptr;
  std::vector<char*> slabs;
  std::size_t slabIdx = 0;
  char* bump = nullptr;
  char* bumpEnd = nullptr;
  std::int64_t live = 0;  // blocks handed out minus blocks returned locally or drained
  // Shared.
  std::mutex remoteLock;
  FreeBlock* remote = nullptr;
  std::atomic<std::int64_t> remoteCount{0};

  void UseSlab(std::size_t i) {
    slabIdx = i;
    bump = slabs[i] + kBlockSize;  // after the header
    bumpEnd = slabs[i] + kSlabSize;
  }

  void* Alloc() {
    ++live;
    if (free) {
      FreeBlock* b = free;
      free = b->next;
      return b;
    }
    if (bump < bumpEnd) {
      void* p = bump;
      bump += kBlockSize;
      return p;
    }
    if (remoteCount.load(std::memory_order_relaxed) > 0) {
      std::lock_guard<std::mutex> g(remoteLock);
      if (remote) {
        free = remote;
        live -= remoteCount.exchange(0);
        remote = nullptr;
        FreeBlock* b = free;
        free = b->next;
        return b;
      }
    }
    if (slabIdx + 1 < slabs.size() && !slabs.empty()) {
      UseSlab(slabIdx + 1);
    } else {
      char* slab = static_cast<char*>(std::aligned_alloc(kSlabSize, kSlabSize));
      if (!slab) {
        --live;
        throw std::bad_alloc();
      }
      reinterpret_cast<SlabHeader*>(slab)->owner = this;
      slabs.push_back(slab);
      UseSlab(slabs.size() - 1);
    }
    void* p = bump;
    bump += kBlockSize;
    return p;
  }

  void FreeLocal(void* p) {
    FreeBlock* b = static_cast<FreeBlock*>(p);
    b->next = free;
    free = b;
    --live;
    if (live <= remoteCount.load(std::memory_order_relaxed)) MaybeReset();
  }

  // Everything handed out has come back: allocate from the first slab again.
  void MaybeReset() {
    std::lock_guard<std::mutex> g(remoteLock);
    if (live != remoteCount.load(std::memory_order_relaxed) || slabs.empty()) return;
    remote = nullptr;
    remoteCount.store(0, std::memory_order_relaxed);
    live = 0;
    free = nullptr;
    UseSlab(0);
  }

  void FreeRemote(void* p) {
    FreeBlock* b = static_cast<FreeBlock*>(p);
    std::lock_guard<std::mutex> g(remoteLock);
    b->next = remote;
    remote = b;
    remoteCount.fetch_add(1, std::memory_order_relaxed);
  }
};

struct PoolRegistry {
  std::mutex lock;
  std::vector<Pool*> idle;  // pools of finished threads
  std::vector<Pool*> all;   // kept reachable; never destroyed
};
PoolRegistry& Registry() {
  static PoolRegistry* r = new PoolRegistry;  // threads may end after static destruction
  return *r;
}

struct PoolHolder {
  Pool* pool = nullptr;
  Pool* Get() {
    if (!pool) {
      PoolRegistry& r = Registry();
      std::lock_guard<std::mutex> g(r.lock);
      if (!r.idle.empty()) {
        pool = r.idle.back();
        r.idle.pop_back();
      } else {
        pool = new Pool;
        r.all.push_back(pool);
      }
    }
    return pool;
  }
  ~PoolHolder() {
    if (!pool) return;
    PoolRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    r.idle.push_back(pool);
    pool = nullptr;
  }
};
thread_local PoolHolder tPool;

}  // namespace

namespace superobject_detail {

void* PoolAlloc(std::size_t size) {
#if ZQ_SUPER_POOL
  if (size <= kBlockSize) return tPool.Get()->Alloc();
#endif
  return ::operator new(size);
}

void PoolFree(void* p) noexcept {
#if ZQ_SUPER_POOL
  Pool* owner =
      reinterpret_cast<SlabHeader*>(reinterpret_cast<std::uintptr_t>(p) & ~(kSlabSize - 1))->owner;
  if (owner == tPool.pool)
    owner->FreeLocal(p);
  else
    owner->FreeRemote(p);
#else
  ::operator delete(p);
#endif
}

}  // namespace superobject_detail

using superobject_detail::PoolAlloc;
using superobject_detail::PoolFree;

static_assert(sizeof(TSuperObject) <= kBlockSize, "a node fits one pool block");
static_assert(sizeof(TSuperTableString::Entry) <= kBlockSize, "an entry fits one pool block");

void* TSuperObject::operator new(std::size_t size) {
  return PoolAlloc(size);
}
void TSuperObject::operator delete(void* p) noexcept {
  PoolFree(p);
}
void* TSuperTableString::Entry::operator new(std::size_t size) {
  return PoolAlloc(size);
}
void TSuperTableString::Entry::operator delete(void* p) noexcept {
  PoolFree(p);
}

}  // namespace zq
