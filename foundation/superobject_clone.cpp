// Clone and Merge: deep copies guarded against cycles and depth.
#include <vector>

#include "foundation/superobject.h"
#include "foundation/superobject_internal.h"

namespace zq {

using Entry = TSuperTableString::Entry;
using superobject_detail::InOrder;

// ---------------------------------------------------------------------------
// Clone and Merge

namespace {

// Scoped Processing flag (cycle guard).
struct ProcessingGuard {
  bool* flag;
  explicit ProcessingGuard(bool* f) : flag(f) { *flag = true; }
  ~ProcessingGuard() { *flag = false; }
  ProcessingGuard(const ProcessingGuard&) = delete;
  ProcessingGuard& operator=(const ProcessingGuard&) = delete;
};

}  // namespace

struct SuperCloner {
  // A node being cloned further up (a cycle) gives no node; beyond the depth
  // limit the node is shared instead of copied.
  static ISuperObject Clone(const TSuperObject* src, int depth) {
    if (src->processing_) return ISuperObject();
    switch (src->kind_) {
      case stObject: {
        if (depth >= kSuperMaxDepth) return ISuperObject::Share(const_cast<TSuperObject*>(src));
        ProcessingGuard g(&src->processing_);
        ISuperObject r = TSuperObject::Create(stObject);
        TSuperTableString* t = &r->u_.o;
        auto f = [t, depth](const Entry* e) {
          t->PutO(e->Name, e->Value ? Clone(e->Value.get(), depth + 1) : ISuperObject());
          return true;
        };
        InOrder(src->u_.o.root_, f);
        return r;
      }
      case stArray: {
        if (depth >= kSuperMaxDepth) return ISuperObject::Share(const_cast<TSuperObject*>(src));
        ProcessingGuard g(&src->processing_);
        ISuperObject r = TSuperObject::Create(stArray);
        const TSuperArray& sa = src->u_.a;
        TSuperArray& da = r->u_.a;
        if (sa.length_ > 0) da.Grow(sa.length_ - 1);
        for (std::size_t i = 0; i < sa.length_; ++i)
          da.Add(sa.items_[i] ? Clone(sa.items_[i].get(), depth + 1) : ISuperObject());
        return r;
      }
      case stString:
      case stFunction:
        return TSuperObject::Create(std::string_view(src->u_.s), src->kind_ == stFunction);
      default: {
        TSuperObject* p = new TSuperObject(src->kind_);
        if (src->kind_ == stBoolean)
          p->u_.b = src->u_.b;
        else if (src->kind_ == stDouble)
          p->u_.d = src->u_.d;
        else
          p->u_.i = src->u_.i;
        p->dataPtr_ = src->kind_ == stMethod ? src->dataPtr_ : nullptr;
        return ISuperObject::Adopt(p);
      }
    }
  }

  static ISuperObject Copy(const ISuperObject& v, bool reference) {
    if (!v || reference) return v;
    return Clone(v.get(), 0);
  }

  static void Merge(TSuperObject* dst, const TSuperObject* src, bool reference, int depth) {
    if (!src || src->kind_ != dst->kind_ || src == dst) return;
    switch (dst->kind_) {
      case stObject: {
        if (src->processing_ || dst->processing_) return;
        ProcessingGuard g1(&src->processing_);
        ProcessingGuard g2(&dst->processing_);
        // Snapshot the source entries so that changes to the target cannot disturb the walk.
        std::vector<const Entry*> entries = src->u_.o.Entries();
        for (const Entry* e : entries) {
          ISuperObject cur = dst->u_.o.GetO(e->Name);
          if (cur && e->Value && cur->kind_ == e->Value->kind_ && depth + 1 < kSuperMaxDepth &&
              cur.get() != e->Value.get()) {
            Merge(cur.get(), e->Value.get(), reference, depth + 1);
          } else if (!(cur && cur.get() == e->Value.get())) {
            dst->u_.o.PutO(e->Name, Copy(e->Value, reference));
          }
        }
        break;
      }
      case stArray: {
        if (src->processing_ || dst->processing_) return;
        ProcessingGuard g1(&src->processing_);
        ProcessingGuard g2(&dst->processing_);
        std::size_t n = src->u_.a.length_;
        for (std::size_t i = 0; i < n && i < src->u_.a.length_; ++i) {
          ISuperObject s = src->u_.a.items_[i];
          ISuperObject cur = dst->u_.a.GetO(i);
          if (cur && s && cur->kind_ == s->kind_ && depth + 1 < kSuperMaxDepth &&
              cur.get() != s.get())
            Merge(cur.get(), s.get(), reference, depth + 1);
          else if (!(cur && cur.get() == s.get()))
            dst->u_.a.PutO(i, Copy(s, reference));
        }
        break;
      }
      case stString:
      case stFunction:
        dst->u_.s = src->u_.s;
        break;
      case stBoolean:
        dst->u_.b = src->u_.b;
        break;
      case stDouble:
        dst->u_.d = src->u_.d;
        break;
      default:
        dst->u_.i = src->u_.i;
        break;
    }
  }
};

ISuperObject TSuperObject::Clone() const {
  return SuperCloner::Clone(this, 0);
}

void TSuperObject::Merge(const ISuperObject& source, bool reference) {
  SuperCloner::Merge(this, source.get(), reference, 0);
}

}  // namespace zq
