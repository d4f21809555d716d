#include "foundation/classinfo.h"

#include <algorithm>

#include "foundation/asciicase.h"
#include "foundation/exception.h"
#include "foundation/format.h"

namespace zq {

const char* PropKindName(PropKind kind) {
  switch (kind) {
    case PropKind::Integer: return "Integer";
    case PropKind::Int64: return "Int64";
    case PropKind::Boolean: return "Boolean";
    case PropKind::Enumeration: return "Enumeration";
    case PropKind::Float: return "Float";
    case PropKind::Text: return "Text";
    case PropKind::Set: return "Set";
    case PropKind::Object: return "Object";
    case PropKind::Variant: return "Variant";
    case PropKind::Method: return "Method";
    case PropKind::Other: return "Other";
  }
  return "Other";
}

ClassInfo::ClassInfo(std::string name, const ClassInfo* parent) : name_(std::move(name)), parent_(parent) {
  if (parent_) {
    props_ = parent_->props_;
    events_ = parent_->events_;
    byName_ = parent_->byName_;
  }
}

bool ClassInfo::InheritsFrom(const ClassInfo& c) const {
  for (const ClassInfo* p = this; p; p = p->parent_)
    if (p == &c) return true;
  return false;
}

const PropInfo* ClassInfo::FindProperty(std::string_view name) const {
  auto it = byName_.find(LowerAscii(name));
  return it != byName_.end() && it->second->Kind != PropKind::Method ? it->second : nullptr;
}

const PropInfo* ClassInfo::FindEvent(std::string_view name) const {
  auto it = byName_.find(LowerAscii(name));
  return it != byName_.end() && it->second->Kind == PropKind::Method ? it->second : nullptr;
}

PropInfo& ClassInfo::AddProperty(PropInfo info) {
  own_.push_back(std::make_unique<PropInfo>(std::move(info)));
  PropInfo* p = own_.back().get();
  auto& list = p->Kind == PropKind::Method ? events_ : props_;
  std::string key = LowerAscii(p->Name);
  auto it = byName_.find(key);
  bool placed = false;
  if (it != byName_.end()) {
    // A redeclaration replaces the inherited entry, in its place.
    const PropInfo* old = it->second;
    for (auto* l : {&props_, &events_}) {
      auto pos = std::find(l->begin(), l->end(), old);
      if (pos == l->end()) continue;
      if (l == &list) {
        *pos = p;
        placed = true;
      } else {
        l->erase(pos);
      }
    }
  }
  if (!placed) list.push_back(p);
  byName_[key] = p;
  return *p;
}

void ClassInfo::AddFactory(const std::type_info& sig, void (*fn)()) {
  for (auto& f : factories_)
    if (*f.first == sig) {
      f.second = fn;
      return;
    }
  factories_.emplace_back(&sig, fn);
}

ClassInfo::ErasedFn ClassInfo::FindFactory(const std::type_info& sig) const {
  for (auto& f : factories_)
    if (*f.first == sig) return f.second;
  return nullptr;
}

void ClassInfo::NoFactory() const {
  throw EInvalidCast(Format("Cannot create an instance of %s with these arguments", name_));
}

}  // namespace zq
