#include "foundation/proppath.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "foundation/asciicase.h"
#include "foundation/collection.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"

namespace zq {

namespace {

// Splits "name[index]" when the segment holds "[" and ends with "]".
bool SplitIndexed(const std::string& seg, std::string& name, int& index) {
  size_t open = seg.find('[');
  if (open == std::string::npos || seg.empty() || seg.back() != ']') return false;
  std::string digits = ZQTrim(std::string_view(seg).substr(open + 1, seg.size() - open - 2));
  int v = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
    throw EConvertError(Format("'%s' is not a valid integer value", digits));
  name = ZQTrim(std::string_view(seg).substr(0, open));
  index = v;
  return true;
}

// The text before the first "." (all of it when none); path keeps the rest.
std::string NextSegment(std::string& path) {
  size_t dot = path.find('.');
  std::string seg;
  if (dot == std::string::npos) {
    seg = path;
    path.clear();
  } else {
    seg = path.substr(0, dot);
    path = path.substr(dot + 1);
  }
  return seg;
}

// The collection's item at index, or null when the index is outside it.
TObject* ItemAt(TCollection* c, int index) {
  if (index < 0 || index >= c->Count()) return nullptr;
  return c->Items(index);
}

}  // namespace

Variant GetPropValue(const TObject* obj, const PropInfo& p) {
  switch (p.Kind) {
    case PropKind::Integer: return Variant(static_cast<std::int32_t>(GetOrdProp(obj, p)));
    case PropKind::Int64: return Variant(static_cast<long long>(GetOrdProp(obj, p)));
    case PropKind::Boolean: return Variant(GetOrdProp(obj, p) != 0);
    case PropKind::Enumeration: return Variant(GetEnumProp(obj, p));
    case PropKind::Set: return Variant(GetSetProp(obj, p));
    case PropKind::Float: return Variant(GetFloatProp(obj, p));
    case PropKind::Text: return Variant(GetStrProp(obj, p));
    case PropKind::Object: return Variant(GetObjectProp(obj, p));
    case PropKind::Variant: return GetPropAs<Variant>(obj, p);
    case PropKind::Method:
    case PropKind::Other: break;
  }
  return Variant();
}

void SetPropValue(TObject* obj, const PropInfo& p, const Variant& value) {
  switch (p.Kind) {
    case PropKind::Integer:
    case PropKind::Int64: SetOrdProp(obj, p, value.ToInt64()); return;
    case PropKind::Boolean: {
      bool b;
      if (value.IsText() && SameTextAscii(*value.get_if<std::string>(), "Yes")) b = true;
      else if (value.IsText() && SameTextAscii(*value.get_if<std::string>(), "Off")) b = false;
      else b = value.ToBool();
      SetOrdProp(obj, p, b ? 1 : 0);
      return;
    }
    case PropKind::Enumeration:
      if (value.IsText()) SetEnumProp(obj, p, *value.get_if<std::string>());
      else SetOrdProp(obj, p, value.ToInt64());
      return;
    case PropKind::Set:
      if (value.IsText()) SetSetProp(obj, p, *value.get_if<std::string>());
      else SetOrdProp(obj, p, value.ToInt64());
      return;
    case PropKind::Float: SetFloatProp(obj, p, value.ToDouble()); return;
    case PropKind::Text: SetStrProp(obj, p, value.ToString()); return;
    case PropKind::Object: SetObjectProp(obj, p, value.IsEmptyOrNull() ? nullptr : value.ToObject()); return;
    case PropKind::Variant: SetPropAs<Variant>(obj, p, value); return;
    case PropKind::Method:
    case PropKind::Other: break;
  }
  throw EPropertyError(Format("Property %s cannot be set from a variant", p.Name));
}

Variant ZQGetObjPropsValue(TObject* obj, std::string_view path, std::optional<PropKind>& kind, bool asValue) {
  Variant result = VarNull;
  kind.reset();
  std::string rest = ZQTrim(path);
  if (rest.empty()) return result;
  TObject* current = obj;
  bool lastWasObject = false;
  while (!rest.empty()) {
    if (!current) throw EIWZQJQuery(Format("Invalid expression: \"%s\"!", rest));
    std::string seg = NextSegment(rest);
    std::string name;
    int index = 0;
    if (SplitIndexed(seg, name, index)) {
      if (!SameTextAscii(name, "Items")) {
        const PropInfo* p = GetPropInfo(current, name);
        if (!p || p->Kind != PropKind::Object) return VarNull;  // like any unknown name
        current = GetObjectProp(current, *p);
      }
      auto* coll = dynamic_cast<TCollection*>(current);
      if (!coll)
        throw EPropertyError(
            Format("The class \"%s\" its not a TCollection", current ? current->ClassName() : std::string("nil")));
      current = ItemAt(coll, index);
      if (!current) return VarNull;  // outside the collection: same answer as a missing name
      lastWasObject = true;
      continue;
    }
    const PropInfo* p = GetPropInfo(current, seg);
    if (!p) return VarNull;
    kind = p->Kind;
    if (p->Kind == PropKind::Object) {
      current = GetObjectProp(current, *p);
      lastWasObject = true;
    } else {
      result = GetPropValue(current, *p);
      current = nullptr;
      lastWasObject = false;
    }
  }
  if (asValue) {
    if (result.IsNull()) throw EIWZQJQuery("Invalid Value!");
    return result;
  }
  return Variant(lastWasObject ? current : static_cast<TObject*>(nullptr));
}

Variant ZQGetObjPropsValue(TObject* obj, std::string_view path, bool asValue) {
  std::optional<PropKind> kind;
  return ZQGetObjPropsValue(obj, path, kind, asValue);
}

Variant ZQSetObjPropsValue(TObject* obj, std::string_view path, const Variant& value, bool descend, bool returnOld) {
  Variant result = VarNull;
  std::string rest = ZQTrim(path);
  if (rest.empty()) return result;
  TObject* current = obj;
  while (!rest.empty()) {
    if (!current) throw EIWZQJQuery(Format("Invalid expression: \"%s\"!", rest));
    std::string seg = ZQTrim(NextSegment(rest));
    std::string name;
    int index = 0;
    if (dynamic_cast<TCollection*>(current) && SplitIndexed(seg, name, index)) {
      if (!SameTextAscii(name, "Items")) {
        const PropInfo* p = GetPropInfo(current, name);
        if (!p || p->Kind != PropKind::Object) return result;
        current = GetObjectProp(current, *p);
      }
      auto* coll = dynamic_cast<TCollection*>(current);
      if (!coll)
        throw EPropertyError(
            Format("Class \"%s\" is not TCollection", current ? current->ClassName() : std::string("nil")));
      current = ItemAt(coll, index);
      if (!current) return result;  // outside the collection: no effect, like a missing name
      continue;
    }
    const PropInfo* p = GetPropInfo(current, seg);
    if (!p) return result;
    if (p->Kind == PropKind::Object && (descend || !rest.empty())) {
      current = GetObjectProp(current, *p);
      continue;
    }
    if (returnOld) {
      try {
        result = GetPropValue(current, *p);
      } catch (const Exception&) {
        result = Variant();
      }
    }
    SetPropValue(current, *p, value);
    current = nullptr;
  }
  return result;
}

void ZQCopyPublishedProps(const TObject* source, TObject* dest, const std::vector<std::string>& skip,
                          bool copyEvents) {
  if (!source || !dest) return;
  auto skipped = [&](const std::string& n) {
    return std::any_of(skip.begin(), skip.end(), [&](const std::string& s) { return SameTextAscii(s, n); });
  };
  const ClassInfo& cls = dest->ClassType();
  // Each property is read through the source's own table entry, so a source
  // of another class never has a foreign accessor applied to it.
  for (const PropInfo* p : cls.Properties()) {
    if (!p->IsWritable() || skipped(p->Name)) continue;
    const PropInfo* sp = source->ClassType().FindProperty(p->Name);
    if (!sp || sp->Kind != p->Kind) continue;
    if (p->Kind == PropKind::Object) {
      SetObjectProp(dest, *p, GetObjectProp(source, *sp));
    } else if (p->Kind == PropKind::Other) {
      if (sp == p) p->CopyValue(source, dest);
    } else {
      SetPropValue(dest, *p, GetPropValue(source, *sp));
    }
  }
  if (!copyEvents) return;
  for (const PropInfo* p : cls.Events()) {
    if (!p->IsWritable() || skipped(p->Name)) continue;
    const PropInfo* sp = source->ClassType().FindEvent(p->Name);
    if (sp == p) p->CopyValue(source, dest);
  }
}

bool PropIsStored(const TObject* obj, std::string_view name) { return obj && IsStoredProp(obj, name); }

int ForEachProp(TObject* obj, const std::vector<const PropInfo*>* cached, const TZQPropCallback& callback,
                TObject* option) {
  if (!obj) return 0;
  const auto& props = cached ? *cached : obj->ClassType().Properties();
  for (const PropInfo* p : props) callback(obj, *p, option);
  return static_cast<int>(props.size());
}

const PropInfo* FirstThatProp(TObject* obj, const std::vector<const PropInfo*>* cached,
                              const TZQPropCallback& callback, TObject* option) {
  if (!obj) return nullptr;
  const auto& props = cached ? *cached : obj->ClassType().Properties();
  for (const PropInfo* p : props)
    if (callback(obj, *p, option)) return p;
  return nullptr;
}

}  // namespace zq
