// The census of option classes: every class declared with rows is created,
// checked against its rows and made to write its default literal.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "events/func.h"
#include "events/jqevents.h"
#include "events_support.h"
#include "foundation/properties.h"

namespace zq {
namespace {

std::string Text(const ISuperObject& n) {
  return ZQOptionJSonText(n, false);
}

TEST(OptionClassCensus, EveryRegisteredClassBuildsAndWritesItsDefaults) {
  ZQRegisterEventFunctions();
  const std::vector<TZQOptionClassEntry> classes = ZQRegisteredOptionClasses();
  std::set<std::string> names;
  for (const TZQOptionClassEntry& e : classes) {
    const ClassInfo& cls = e.Class();
    SCOPED_TRACE(cls.Name());
    EXPECT_TRUE(names.insert(cls.Name()).second) << "registered twice";
    Owned<TIWZQJSon> obj(TIWZQJSon::CreateSingle(cls, nullptr, ""));
    TZQJSonClassData* cd = obj->GetClassData();
    ASSERT_EQ(cd->MemberCount(), e.RowsEnd);
    // Every member has its property, of the class's own table.
    for (int i = 0; i < cd->MemberCount(); ++i) {
      const PropInfo* p = cd->PropOfMember(i);
      ASSERT_NE(p, nullptr) << cd->Members().GetItem(i)->Name();
      EXPECT_EQ(obj->GetPropIndexByName(p->Name), i);
    }
    // At its defaults an object writes no scalar: only event functions that
    // carry a fixed script may appear.
    ISuperObject literal = obj->GetJSon();
    ASSERT_TRUE(literal && (literal->IsType(stObject) || literal->IsType(stArray)));
    if (literal->IsType(stObject))
      for (const auto* entry : literal->AsObject()->Entries()) {
        TZQJSonMember* m = cd->MembersByName(entry->name());
        ASSERT_NE(m, nullptr) << entry->name();
        EXPECT_TRUE(m->MType() == mtJSonFunc && m->HasFixedScript()) << entry->name();
      }
    // Resetting an untouched object changes nothing.
    const std::string before = Text(literal);
    obj->ResetProps();
    EXPECT_EQ(Text(obj->GetJSon()), before);
  }
  // The library's own classes are among them, with their default literals.
  for (const char* lib : {"TIWZQJQEvents", "TIWZQJQAjaxCookie"})
    EXPECT_EQ(names.count(lib), 1u) << lib;
  Owned<TIWZQJSon> events(TIWZQJSon::CreateSingle<TIWZQJQEvents>(nullptr, ""));
  EXPECT_EQ(Text(events->GetJSon()), "{}");
  EXPECT_EQ(events->GetClassData()->MemberCount(), 13);
  Owned<TIWZQJSon> cookie(TIWZQJSon::CreateSingle<TIWZQJQAjaxCookie>(nullptr, ""));
  EXPECT_EQ(Text(cookie->GetJSon()), "{}");
  EXPECT_EQ(cookie->GetClassData()->MemberCount(), 5);
  // The start-up check covers the same classes.
  EXPECT_EQ(ZQCheckOptionClasses(), static_cast<int>(classes.size()));
}

}  // namespace
}  // namespace zq
