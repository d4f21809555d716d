#include "foundation/properties.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "foundation/asciicase.h"
#include "foundation/format.h"

namespace zq {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool IsOrdinal(PropKind k) {
  return k == PropKind::Integer || k == PropKind::Int64 || k == PropKind::Boolean || k == PropKind::Enumeration ||
         k == PropKind::Set;
}

void Expect(const PropInfo& p, bool ok, const char* wanted) {
  if (!ok) RaisePropType(p, wanted);
}

void CheckWritable(const PropInfo& p) {
  if (!p.Write) RaiseReadOnly(p);
}

}  // namespace

namespace detail {
void RaiseInvalidClass(const TObject* value, const char* target) {
  throw EInvalidCast(Format("Invalid class typecast: a %s is not a %s", value->ClassName(), target));
}
}  // namespace detail

void RaisePropType(const PropInfo& p, const char* wanted) {
  throw EPropertyError(Format("Property %s is of kind %s, not %s", p.Name, PropKindName(p.Kind), wanted));
}

void RaiseReadOnly(const PropInfo& p) { throw EPropertyError(Format("Property %s is read-only", p.Name)); }

const PropInfo* GetPropInfo(const TObject* obj, std::string_view name) {
  return obj ? obj->ClassType().FindProperty(name) : nullptr;
}

const PropInfo* GetEventInfo(const TObject* obj, std::string_view name) {
  return obj ? obj->ClassType().FindEvent(name) : nullptr;
}

const PropInfo& PropByName(const TObject* obj, std::string_view name) {
  const PropInfo* p = GetPropInfo(obj, name);
  if (!p) p = GetEventInfo(obj, name);
  if (!p) throw EPropertyError(Format("Property %s does not exist", name));
  return *p;
}

std::int64_t GetOrdProp(const TObject* obj, const PropInfo& p) {
  Expect(p, IsOrdinal(p.Kind), "an ordinal");
  std::int64_t v = 0;
  p.Read(obj, p.Index, &v);
  return v;
}

void SetOrdProp(TObject* obj, const PropInfo& p, std::int64_t value) {
  Expect(p, IsOrdinal(p.Kind), "an ordinal");
  CheckWritable(p);
  if (p.Kind == PropKind::Enumeration && (value < 0 || value >= static_cast<std::int64_t>(p.EnumNames->size())))
    throw EPropertyError(Format("Value %d is out of range for property %s", value, p.Name));
  if (p.Kind == PropKind::Boolean) value = value != 0;
  p.Write(obj, p.Index, &value);
}

double GetFloatProp(const TObject* obj, const PropInfo& p) {
  Expect(p, p.Kind == PropKind::Float, "Float");
  double v = 0;
  p.Read(obj, p.Index, &v);
  return v;
}

void SetFloatProp(TObject* obj, const PropInfo& p, double value) {
  Expect(p, p.Kind == PropKind::Float, "Float");
  CheckWritable(p);
  p.Write(obj, p.Index, &value);
}

std::string GetStrProp(const TObject* obj, const PropInfo& p) {
  Expect(p, p.Kind == PropKind::Text, "Text");
  std::string v;
  p.Read(obj, p.Index, &v);
  return v;
}

void SetStrProp(TObject* obj, const PropInfo& p, const std::string& value) {
  Expect(p, p.Kind == PropKind::Text, "Text");
  CheckWritable(p);
  p.Write(obj, p.Index, &value);
}

TObject* GetObjectProp(const TObject* obj, const PropInfo& p) {
  Expect(p, p.Kind == PropKind::Object, "Object");
  TObject* v = nullptr;
  p.Read(obj, p.Index, &v);
  return v;
}

void SetObjectProp(TObject* obj, const PropInfo& p, TObject* value) {
  Expect(p, p.Kind == PropKind::Object, "Object");
  CheckWritable(p);
  if (value && p.ObjectClass() && !value->InheritsFrom(*p.ObjectClass()))
    detail::RaiseInvalidClass(value, p.ObjectClass()->Name().c_str());
  p.Write(obj, p.Index, &value);
}

std::string GetEnumName(const PropInfo& p, std::int64_t ordinal) {
  if (p.Kind == PropKind::Boolean) return ordinal ? "True" : "False";
  Expect(p, p.EnumNames != nullptr, "Enumeration");
  if (ordinal < 0 || ordinal >= static_cast<std::int64_t>(p.EnumNames->size())) return std::to_string(ordinal);
  return (*p.EnumNames)[static_cast<std::size_t>(ordinal)];
}

int GetEnumValue(const PropInfo& p, std::string_view name) {
  if (p.Kind == PropKind::Boolean) {
    if (SameTextAscii(name, "False")) return 0;
    if (SameTextAscii(name, "True")) return 1;
    return -1;
  }
  Expect(p, p.EnumNames != nullptr, "Enumeration");
  for (std::size_t i = 0; i < p.EnumNames->size(); ++i)
    if (SameTextAscii((*p.EnumNames)[i], name)) return static_cast<int>(i);
  return -1;
}

std::string GetEnumProp(const TObject* obj, const PropInfo& p) {
  Expect(p, p.Kind == PropKind::Enumeration || p.Kind == PropKind::Boolean, "Enumeration");
  return GetEnumName(p, GetOrdProp(obj, p));
}

void SetEnumProp(TObject* obj, const PropInfo& p, std::string_view name) {
  Expect(p, p.Kind == PropKind::Enumeration || p.Kind == PropKind::Boolean, "Enumeration");
  int v = GetEnumValue(p, Trim(name));
  if (v < 0) throw EPropertyError(Format("Invalid property value %s for %s", name, p.Name));
  SetOrdProp(obj, p, v);
}

std::string SetToString(const PropInfo& p, std::int64_t mask, bool brackets) {
  Expect(p, p.Kind == PropKind::Set, "Set");
  std::string r;
  for (std::size_t i = 0; i < p.EnumNames->size() && i < 64; ++i)
    if ((static_cast<std::uint64_t>(mask) >> i) & 1u) {
      if (!r.empty()) r += ',';
      r += (*p.EnumNames)[i];
    }
  return brackets ? "[" + r + "]" : r;
}

std::int64_t StringToSet(const PropInfo& p, std::string_view names) {
  Expect(p, p.Kind == PropKind::Set, "Set");
  names = Trim(names);
  if (!names.empty() && names.front() == '[') names.remove_prefix(1);
  if (!names.empty() && names.back() == ']') names.remove_suffix(1);
  std::uint64_t mask = 0;
  while (!names.empty()) {
    std::size_t comma = names.find(',');
    std::string_view item = Trim(names.substr(0, comma));
    names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
    if (item.empty()) continue;
    int v = -1;
    for (std::size_t i = 0; i < p.EnumNames->size(); ++i)
      if (SameTextAscii((*p.EnumNames)[i], item)) v = static_cast<int>(i);
    if (v < 0) throw EPropertyError(Format("Invalid property element: %s", item));
    mask |= std::uint64_t(1) << v;
  }
  return static_cast<std::int64_t>(mask);
}

std::string GetSetProp(const TObject* obj, const PropInfo& p, bool brackets) {
  return SetToString(p, GetOrdProp(obj, p), brackets);
}

void SetSetProp(TObject* obj, const PropInfo& p, std::string_view names) {
  SetOrdProp(obj, p, StringToSet(p, names));
}

bool IsStoredProp(const TObject* obj, std::string_view name) {
  const PropInfo* p = GetPropInfo(obj, name);
  return p && p->IsStored(obj);
}

}  // namespace zq
