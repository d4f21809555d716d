// Arrays: item buffers, small ones from the block pool.
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/superobject.h"
#include "foundation/superobject_internal.h"

namespace zq {

using superobject_detail::kBlockSize;
using superobject_detail::PoolAlloc;
using superobject_detail::PoolFree;

// ---------------------------------------------------------------------------
// Arrays

// Item buffers of up to eight items (most arrays in option and chart data:
// pairs, short lists) take a pool block like the nodes; larger ones use the
// heap. The capacity tells which.
constexpr std::size_t kPooledItems = kBlockSize / sizeof(ISuperObject);

namespace {
void FreeItems(ISuperObject* items, std::size_t capacity) noexcept {
  if (!items) return;
  if (capacity <= kPooledItems)
    PoolFree(items);
  else
    std::free(items);
}
}  // namespace

TSuperArray::~TSuperArray() {
  for (std::size_t i = 0; i < length_; ++i) items_[i].~ISuperObject();
  FreeItems(items_, capacity_);
}

void TSuperArray::Clear() {
  std::size_t n = length_;
  length_ = 0;
  for (std::size_t i = 0; i < n; ++i) items_[i].~ISuperObject();
}

void TSuperArray::Grow(std::size_t index) {
  if (index < capacity_) return;
  if (index >= (std::size_t{1} << 40)) throw std::bad_alloc();
  std::size_t cap = capacity_ * 2;
  if (cap < index + 1) cap = index + 1;
  // ISuperObject is a single pointer with no self-references: moving the bytes is a valid move.
  void* p;
  if (cap <= kPooledItems) {
    // A pool block always holds kPooledItems items.
    p = items_ ? static_cast<void*>(items_) : PoolAlloc(kBlockSize);
  } else if (capacity_ <= kPooledItems) {
    p = std::malloc(cap * sizeof(ISuperObject));
    if (!p) throw std::bad_alloc();
    if (length_) std::memcpy(p, static_cast<void*>(items_), length_ * sizeof(ISuperObject));
    FreeItems(items_, capacity_);
  } else {
    p = std::realloc(static_cast<void*>(items_), cap * sizeof(ISuperObject));
    if (!p) throw std::bad_alloc();
  }
  items_ = static_cast<ISuperObject*>(p);
  capacity_ = cap;
}

std::size_t TSuperArray::Add(ISuperObject node) {
  std::size_t i = length_;
  Grow(i);
  new (&items_[i]) ISuperObject(std::move(node));
  length_ = i + 1;
  return i;
}

void TSuperArray::PutO(std::size_t index, ISuperObject node) {
  if (index < length_) {
    items_[index] = std::move(node);
    return;
  }
  Grow(index);
  for (std::size_t i = length_; i < index; ++i) new (&items_[i]) ISuperObject();
  new (&items_[index]) ISuperObject(std::move(node));
  length_ = index + 1;
}

void TSuperArray::Insert(std::size_t index, ISuperObject node) {
  if (index >= length_) {
    PutO(index, std::move(node));
    return;
  }
  Grow(length_);
  std::memmove(static_cast<void*>(items_ + index + 1), static_cast<void*>(items_ + index),
               (length_ - index) * sizeof(ISuperObject));
  new (&items_[index]) ISuperObject(std::move(node));
  ++length_;
}

ISuperObject TSuperArray::Delete(std::size_t index) {
  if (index >= length_) return ISuperObject();
  ISuperObject r = std::move(items_[index]);
  items_[index].~ISuperObject();
  std::memmove(static_cast<void*>(items_ + index), static_cast<void*>(items_ + index + 1),
               (length_ - index - 1) * sizeof(ISuperObject));
  --length_;
  return r;
}

ISuperObject TSuperArray::GetO(std::size_t index) const {
  return index < length_ ? items_[index] : ISuperObject();
}

std::string TSuperArray::GetS(std::size_t index) const {
  return index < length_ && items_[index] ? items_[index]->AsString() : std::string();
}
std::int64_t TSuperArray::GetI(std::size_t index) const {
  return index < length_ && items_[index] ? items_[index]->AsInteger() : 0;
}
double TSuperArray::GetD(std::size_t index) const {
  return index < length_ && items_[index] ? items_[index]->AsDouble() : 0.0;
}
bool TSuperArray::GetB(std::size_t index) const {
  return index < length_ && items_[index] ? items_[index]->AsBoolean() : false;
}
std::size_t TSuperArray::AddS(std::string_view s) {
  return Add(TSuperObject::Create(s));
}
std::size_t TSuperArray::AddI(std::int64_t v) {
  return Add(TSuperObject::Create(static_cast<long>(v)));
}
std::size_t TSuperArray::AddD(double v) {
  return Add(TSuperObject::Create(v));
}
std::size_t TSuperArray::AddB(bool v) {
  return Add(TSuperObject::Create(v));
}

}  // namespace zq
