// Member tables: a height-balanced tree of entries ordered by name hash, and
// the iteration over an object's members.
#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/superobject.h"
#include "foundation/superobject_internal.h"
#include "foundation/superobject_utf.h"

namespace zq {

using superobject_detail::ForEachUnit;
using superobject_detail::InOrder;

namespace {

using Entry = TSuperTableString::Entry;

int H(const Entry* e) {
  return e ? e->Height : 0;
}
void Fix(Entry* e) {
  int l = H(e->Left), r = H(e->Right);
  e->Height = static_cast<std::int8_t>((l > r ? l : r) + 1);
}
Entry* RotateRight(Entry* e) {
  Entry* l = e->Left;
  e->Left = l->Right;
  l->Right = e;
  Fix(e);
  Fix(l);
  return l;
}
Entry* RotateLeft(Entry* e) {
  Entry* r = e->Right;
  e->Right = r->Left;
  r->Left = e;
  Fix(e);
  Fix(r);
  return r;
}
Entry* Balance(Entry* e) {
  Fix(e);
  int bf = H(e->Left) - H(e->Right);
  if (bf > 1) {
    if (H(e->Left->Left) < H(e->Left->Right)) e->Left = RotateLeft(e->Left);
    return RotateRight(e);
  }
  if (bf < -1) {
    if (H(e->Right->Right) < H(e->Right->Left)) e->Right = RotateRight(e->Right);
    return RotateLeft(e);
  }
  return e;
}

// Inserts or replaces; `added` tells whether a new entry was made.
Entry* Insert(Entry* e, std::uint32_t hash, std::string_view name, ISuperObject& value,
              bool& added) {
  if (!e) {
    Entry* n = new Entry;
    n->Name.assign(name.data(), name.size());
    n->Hash = hash;
    n->Value = std::move(value);
    added = true;
    return n;
  }
  int c = TSuperTableString::CompareNames(hash, name, e->Hash, e->Name);
  if (c == 0) {
    ISuperObject old = std::move(e->Value);
    e->Value = std::move(value);
    added = false;
    return e;  // old released here, after the tree is consistent
  }
  if (c < 0)
    e->Left = Insert(e->Left, hash, name, value, added);
  else
    e->Right = Insert(e->Right, hash, name, value, added);
  return added ? Balance(e) : e;
}

Entry* RemoveMin(Entry* e, Entry*& min) {
  if (!e->Left) {
    min = e;
    return e->Right;
  }
  e->Left = RemoveMin(e->Left, min);
  return Balance(e);
}

Entry* Remove(Entry* e, std::uint32_t hash, std::string_view name, Entry*& removed) {
  if (!e) return nullptr;
  int c = TSuperTableString::CompareNames(hash, name, e->Hash, e->Name);
  if (c < 0) {
    e->Left = Remove(e->Left, hash, name, removed);
  } else if (c > 0) {
    e->Right = Remove(e->Right, hash, name, removed);
  } else {
    removed = e;
    Entry* l = e->Left;
    Entry* r = e->Right;
    if (!r) return l;
    Entry* min = nullptr;
    r = RemoveMin(r, min);
    min->Left = l;
    min->Right = r;
    return Balance(min);
  }
  return removed ? Balance(e) : e;
}

const Entry* Find(const Entry* e, std::uint32_t hash, std::string_view name) {
  while (e) {
    int c = TSuperTableString::CompareNames(hash, name, e->Hash, e->Name);
    if (c == 0) return e;
    e = c < 0 ? e->Left : e->Right;
  }
  return nullptr;
}

// Frees a whole tree of entries (values released by the entries' destructors).
void FreeTree(Entry* e) {
  while (e) {
    if (e->Left) {
      // Rotate the left child up so that the loop needs no stack.
      Entry* l = e->Left;
      e->Left = l->Right;
      l->Right = e;
      e = l;
    } else {
      Entry* r = e->Right;
      delete e;
      e = r;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Member table

TSuperTableString::~TSuperTableString() {
  FreeTree(root_);
}

void TSuperTableString::Clear() {
  Entry* r = root_;
  root_ = nullptr;
  count_ = 0;
  FreeTree(r);
}

std::uint32_t TSuperTableString::Hash(std::string_view name) {
  std::uint32_t h = 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(name.data());
  std::size_t n = name.size(), i = 0;
  // ASCII fast path; the rest through the decoder.
  for (; i < n && s[i] < 0x80; ++i) h = h * 129u + s[i] + 0x9E370001u;
  if (i < n)
    ForEachUnit(name.data() + i, n - i, [&h](std::uint32_t c) { h = h * 129u + c + 0x9E370001u; });
  return h;
}

int TSuperTableString::CompareNames(std::uint32_t ha, std::string_view a, std::uint32_t hb,
                                    std::string_view b) {
  if (ha != hb) return ha > hb ? -1 : 1;
  if (a == b) return 0;
  // Ordinal comparison of the UTF-16 code units.
  std::vector<std::uint16_t> ua, ub;
  ForEachUnit(a.data(), a.size(),
              [&ua](std::uint32_t c) { ua.push_back(static_cast<std::uint16_t>(c)); });
  ForEachUnit(b.data(), b.size(),
              [&ub](std::uint32_t c) { ub.push_back(static_cast<std::uint16_t>(c)); });
  if (ua < ub) return -1;
  if (ub < ua) return 1;
  // Different bytes, same units (a malformed byte and the character it stands for): order by bytes.
  return a < b ? -1 : 1;
}

ISuperObject TSuperTableString::GetO(std::string_view name) const {
  return GetO(name, Hash(name));
}

bool TSuperTableString::Exists(std::string_view name) const {
  return Exists(name, Hash(name));
}

void TSuperTableString::PutO(std::string_view name, ISuperObject value) {
  PutO(name, Hash(name), std::move(value));
}

ISuperObject TSuperTableString::GetO(std::string_view name, std::uint32_t hash) const {
  const Entry* e = Find(root_, hash, name);
  return e ? e->Value : ISuperObject();
}

bool TSuperTableString::Exists(std::string_view name, std::uint32_t hash) const {
  return Find(root_, hash, name) != nullptr;
}

void TSuperTableString::PutO(std::string_view name, std::uint32_t hash, ISuperObject value) {
  bool added = false;
  root_ = Insert(root_, hash, name, value, added);
  if (added) ++count_;
}

ISuperObject TSuperTableString::Delete(std::string_view name) {
  Entry* removed = nullptr;
  root_ = Remove(root_, Hash(name), name, removed);
  if (!removed) return ISuperObject();
  --count_;
  ISuperObject v = std::move(removed->Value);
  delete removed;
  return v;
}

void TSuperTableString::Visit(VisitFn fn, void* ctx) const {
  auto f = [fn, ctx](const Entry* e) { return fn(ctx, e->Name, e->Value); };
  InOrder(root_, f);
}

std::vector<const Entry*> TSuperTableString::Entries() const {
  std::vector<const Entry*> out;
  out.reserve(count_);
  auto f = [&out](const Entry* e) {
    out.push_back(e);
    return true;
  };
  InOrder(root_, f);
  return out;
}

ISuperObject TSuperTableString::GetNames() const {
  ISuperObject r = TSuperObject::Create(stArray);
  TSuperArray* a = r->AsArray();
  auto f = [a](const Entry* e) {
    a->Add(TSuperObject::Create(std::string_view(e->Name)));
    return true;
  };
  InOrder(root_, f);
  return r;
}

ISuperObject TSuperTableString::GetValues() const {
  ISuperObject r = TSuperObject::Create(stArray);
  TSuperArray* a = r->AsArray();
  auto f = [a](const Entry* e) {
    a->Add(e->Value);
    return true;
  };
  InOrder(root_, f);
  return r;
}

namespace {

void PushLeft(std::vector<const Entry*>& st, const Entry* e) {
  for (; e; e = e->Left) st.push_back(e);
}

bool IterTake(TSuperObjectIter& it) {
  if (it.stack.empty()) {
    it.key.clear();
    it.val = nullptr;
    return false;
  }
  const Entry* e = it.stack.back();
  it.stack.pop_back();
  PushLeft(it.stack, e->Right);
  it.key = e->Name;
  it.val = e->Value;
  return true;
}

}  // namespace

bool ObjectFindFirst(const ISuperObject& obj, TSuperObjectIter& iter) {
  iter.stack.clear();
  iter.owner = nullptr;
  if (!SOIsObject(obj)) return false;
  iter.owner = obj;
  PushLeft(iter.stack, obj->AsObject()->root());
  return IterTake(iter);
}

bool ObjectFindNext(TSuperObjectIter& iter) {
  return IterTake(iter);
}

void ObjectFindClose(TSuperObjectIter& iter) {
  iter.stack.clear();
  iter.owner = nullptr;
  iter.val = nullptr;
  iter.key.clear();
}

}  // namespace zq
