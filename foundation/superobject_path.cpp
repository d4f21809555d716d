// Path access: "a.b[2].c" names a member of a member of an item.
#include <string_view>
#include <vector>

#include "foundation/superobject.h"
#include "foundation/superobject_utf.h"

namespace zq {

// ---------------------------------------------------------------------------
// Path access

namespace {

struct PathStep {
  std::string_view name;  // member name, or empty with isIndex
  std::size_t index = 0;
  bool isIndex = false;
};

bool IsPathNameChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u > 32 && c != '"' && !superobject_detail::IsNameDelimiter(c);
}

// Splits "a.b[2].c" into steps. A name without "." and "[" is one plain
// member name whatever it holds; a name that is not a well-formed path is
// also taken as one plain member name.
std::vector<PathStep> SplitPath(std::string_view path) {
  std::vector<PathStep> steps;
  if (path.find_first_of(".[") == std::string_view::npos) {
    steps.push_back({path, 0, false});
    return steps;
  }
  std::size_t i = 0, n = path.size();
  bool ok = true;
  while (ok && i < n) {
    if (path[i] == '[') {
      std::size_t j = i + 1;
      std::size_t v = 0;
      bool digits = false;
      while (j < n && path[j] >= '0' && path[j] <= '9') {
        if (v > (std::size_t{1} << 32)) {
          ok = false;
          break;
        }
        v = v * 10 + static_cast<std::size_t>(path[j] - '0');
        digits = true;
        ++j;
      }
      if (!ok || !digits || j >= n || path[j] != ']') {
        ok = false;
        break;
      }
      steps.push_back({{}, v, true});
      i = j + 1;
    } else {
      if (!steps.empty()) {
        if (path[i] != '.') {
          ok = false;
          break;
        }
        ++i;
      }
      std::size_t j = i;
      while (j < n && IsPathNameChar(path[j])) ++j;
      if (j == i) {
        ok = false;
        break;
      }
      steps.push_back({path.substr(i, j - i), 0, false});
      i = j;
    }
  }
  if (!ok || steps.empty()) {
    steps.clear();
    steps.push_back({path, 0, false});
  }
  return steps;
}

ISuperObject Step(const TSuperObject* cur, const PathStep& s) {
  if (s.isIndex) {
    const TSuperArray* a = cur->AsArray();
    return a ? a->GetO(s.index) : ISuperObject();
  }
  const TSuperTableString* o = cur->AsObject();
  return o ? o->GetO(s.name) : ISuperObject();
}

}  // namespace

ISuperObject TSuperObject::GetO(std::string_view path) const {
  if (kind_ == stObject && path.find_first_of(".[") == std::string_view::npos)
    return u_.o.GetO(path);
  std::vector<PathStep> steps = SplitPath(path);
  ISuperObject cur;
  const TSuperObject* p = this;
  for (const PathStep& s : steps) {
    cur = Step(p, s);
    if (!cur) return ISuperObject();
    p = cur.get();
  }
  return cur;
}

void TSuperObject::PutO(std::string_view path, ISuperObject value) {
  if (kind_ == stObject && path.find_first_of(".[") == std::string_view::npos) {
    u_.o.PutO(path, std::move(value));
    return;
  }
  std::vector<PathStep> steps = SplitPath(path);
  TSuperObject* p = this;
  ISuperObject hold;
  for (std::size_t k = 0; k + 1 < steps.size(); ++k) {
    const PathStep& s = steps[k];
    ISuperObject next = Step(p, s);
    if (!next) {
      // Missing intermediate: make an object (or an array when an index follows).
      next = Create(steps[k + 1].isIndex ? stArray : stObject);
      if (s.isIndex) {
        if (!p->AsArray()) return;
        p->AsArray()->PutO(s.index, next);
      } else {
        if (!p->AsObject()) return;
        p->AsObject()->PutO(s.name, next);
      }
    }
    hold = std::move(next);
    p = hold.get();
  }
  const PathStep& last = steps.back();
  if (last.isIndex) {
    if (TSuperArray* a = p->AsArray()) a->PutO(last.index, std::move(value));
  } else if (TSuperTableString* o = p->AsObject()) {
    o->PutO(last.name, std::move(value));
  }
}

void TSuperObject::PutS(std::string_view path, std::string_view value) {
  PutO(path, Create(value));
}
void TSuperObject::PutB(std::string_view path, bool value) {
  PutO(path, Create(value));
}
void TSuperObject::PutI(std::string_view path, std::int64_t value) {
  PutO(path, Create(static_cast<long>(value)));
}
void TSuperObject::PutD(std::string_view path, double value) {
  PutO(path, Create(value));
}
void TSuperObject::PutC(std::string_view path, Currency value) {
  PutO(path, CreateCurrency(value));
}

ISuperObject TSuperObject::Delete(std::string_view path) {
  if (kind_ == stObject && path.find_first_of(".[") == std::string_view::npos)
    return u_.o.Delete(path);
  std::vector<PathStep> steps = SplitPath(path);
  ISuperObject hold;
  TSuperObject* p = this;
  for (std::size_t k = 0; k + 1 < steps.size(); ++k) {
    hold = Step(p, steps[k]);
    if (!hold) return ISuperObject();
    p = hold.get();
  }
  const PathStep& last = steps.back();
  if (last.isIndex) {
    if (TSuperArray* a = p->AsArray()) return a->Delete(last.index);
    return ISuperObject();
  }
  if (TSuperTableString* o = p->AsObject()) return o->Delete(last.name);
  return ISuperObject();
}

std::string TSuperObject::GetS(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsString() : std::string();
}
std::int64_t TSuperObject::GetI(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsInteger() : 0;
}
double TSuperObject::GetD(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsDouble() : 0.0;
}
bool TSuperObject::GetB(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsBoolean() : false;
}
Currency TSuperObject::GetC(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsCurrency() : Currency();
}
ISuperObject TSuperObject::GetA(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n && n->IsType(stArray) ? n : ISuperObject();
}

}  // namespace zq
