#include <gtest/gtest.h>

#include <climits>

#include "foundation/exception.h"
#include "options/options_support.h"

namespace zq::test {
namespace {

std::string Text(const ISuperObject& n) { return ZQOptionJSonText(n, false); }

// An axis: writes its name as its only member, holding min and max.
#define ZQ_TEST_AXIS_ROWS(X) \
  X(Integer, Min, "min", -1) \
  X(Integer, Max, "max", -1)

class TTestAxis : public TIWZQJSon {
  ZQ_OPTIONS(TTestAxis, TIWZQJSon, ZQ_TEST_AXIS_ROWS)
  using TIWZQJSon::TIWZQJSon;
  std::string Axis = "xaxis";
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override {
    if (APropName != "Min") return APropName == "Max";
    ISuperObject inner = SO();
    if (IsIntegerStored(kMin)) inner->PutI("min", GetMin());
    if (IsIntegerStored(kMax)) inner->PutI("max", GetMax());
    if (!inner->AsObject()->IsEmpty()) AJSon->AsObject()->PutO(Axis, inner);
    return true;
  }
};
ZQ_IMPLEMENT_OPTIONS(TTestAxis) {}

class TTestAxes : public TIWZQJSonList {
  ZQ_CLASS(TTestAxes, TIWZQJSonList)
  TTestAxes() : TIWZQJSonList(TTestAxis::StaticClass(), 0) { SetFlag(kListObjectLayout, true); }
};
ZQ_IMPLEMENT_CLASS(TTestAxes) {}

class TTestSeries : public TIWZQJSonList {
  ZQ_CLASS(TTestSeries, TIWZQJSonList)
  TTestSeries() : TIWZQJSonList(TNumbersOptions::StaticClass(), 0) { SetFlag(kListColumnLayout, true); }
};
ZQ_IMPLEMENT_CLASS(TTestSeries) {}

using ListsTest = TMenuOptionsTest;

TEST_F(ListsTest, ArrayLayout) {
  TIWZQJSonList* steps = opts->GetObjListValue(15);
  EXPECT_EQ(steps->FMember->Name(), "steps");
  EXPECT_EQ(steps->GetPropName(), "Steps");
  EXPECT_EQ(steps->GetJSon(), nullptr);
  EXPECT_EQ(Text(opts->GetJSon()), "{}");
  steps->Add();
  TIWZQJSon* second = steps->Add();
  EXPECT_EQ(Text(steps->GetJSon()), "[{},{}]");
  EXPECT_EQ(second->GetItemIndex(), 1);
  EXPECT_EQ(second->GetList(), steps);
  EXPECT_EQ(second->GetHTMLName(), "MENU1");
  EXPECT_EQ(Text(opts->GetJSon()), "{steps:[{},{}]}");
  steps->ResetProps();
  EXPECT_FALSE(steps->GetIsStored());
}

TEST_F(ListsTest, ObjectLayoutMergesItems) {
  auto* axes = TIWZQJSonList::CreateList<TTestAxes>(opts.get(), "Axes");
  Owned<TIWZQJSonList> hold(axes);
  auto* x = static_cast<TTestAxis*>(axes->Add());
  x->SetIntegerValue(0, 0);
  auto* y = static_cast<TTestAxis*>(axes->Add());
  y->Axis = "yaxis";
  y->SetIntegerValue(1, 5);
  EXPECT_EQ(Text(axes->GetJSon()), "{yaxis:{max:5},xaxis:{min:0}}");
  // Two items writing the same axis merge into one member.
  y->Axis = "xaxis";
  EXPECT_EQ(Text(axes->GetJSon()), "{xaxis:{min:0,max:5}}");
}

TEST_F(ListsTest, ColumnLayoutCollectsValuesPerName) {
  auto* series = TIWZQJSonList::CreateList<TTestSeries>(opts.get(), "Series");
  Owned<TIWZQJSonList> hold(series);
  series->Add()->SetIntegerValue(0, 1);
  auto* b = series->Add();
  b->SetIntegerValue(0, 2);
  b->SetIntegerValue(1, 9);
  series->Add();
  EXPECT_EQ(Text(series->GetJSon()), "[{min:[1,2],max:[9]}]");
}

TEST_F(ListsTest, ListChangesAreRecordedOnceAsTheMember) {
  TIWZQJSonList* steps = opts->GetObjListValue(15);
  ctl->InCallback = true;
  steps->Add();
  ASSERT_EQ(ctl->Recorded.size(), 1u);
  EXPECT_EQ(ctl->Recorded[0].second->Name(), "steps");
  EXPECT_EQ(ctl->FinishCallback(), "MENU1IWCL.setOption(\"steps\",[{}]);");
  // While the owner loads, nothing is recorded.
  ctl->Loading = true;
  steps->Add();
  EXPECT_TRUE(ctl->Recorded.empty());
}

TEST_F(ListsTest, ListAssignCopiesItems) {
  TIWZQJSonList* steps = opts->GetObjListValue(15);
  steps->Add();
  auto copy = Owned<TTestMenuOptions>(TIWZQJSon::CreateSingle<TTestMenuOptions>(nullptr, ""));
  copy->SetObjListValue(15, steps);
  EXPECT_EQ(copy->GetObjListValue(15)->Count(), 1);
  EXPECT_NE(copy->GetObjListValue(15)->GetItem(0), steps->GetItem(0));
}

TEST_F(ListsTest, SimpleArrays) {
  TIWZQJSonSimpleArray* points = opts->GetSimpleArrayValue(12);
  EXPECT_FALSE(points->GetQuoted());
  EXPECT_EQ(points->GetJSon(), nullptr);
  points->Add("1");
  points->Add("x");
  points->Add("3");
  points->Add("-2147483648");
  points->Add("2147483648");
  EXPECT_EQ(Text(points->GetJSon()), "[1,0,3,-2147483648,0]");

  TZQJSonMemberList members;
  members.Initialize();
  auto* quoted = members.AddJSonSimpleArray("ticks", true, false, true);
  TIWZQJSonSimpleArray lines(nullptr, quoted);
  lines.Add("a");
  lines.Add("");
  lines.Add("b");
  EXPECT_EQ(Text(lines.GetJSon()), "[\"a\",null,\"b\"]");

  ctl->InCallback = true;
  points->Clear();
  ASSERT_EQ(ctl->Recorded.size(), 1u);
  EXPECT_EQ(ctl->Recorded[0].second->Name(), "points");
}

TEST_F(ListsTest, DynamicObjectLists) {
  TIWZQJSonDynObjList* headers = opts->GetDynObjListValue(14);
  EXPECT_EQ(headers->GetJSon(), nullptr);
  headers->Add("width", Variant(10));
  headers->Add("label", Variant("x"));
  headers->Add("flag", Variant(true));
  headers->Add("on", Variant(VarNull));
  headers->Add("404", Variant("missing"));
  EXPECT_EQ(headers->GetJSon()->AsObject()->count(), 4u);
  ISuperObject j = headers->GetJSon();
  EXPECT_EQ(j->AsObject()->GetO("width")->AsJSon(), "10");
  EXPECT_EQ(j->AsObject()->GetO("label")->AsJSon(), "\"x\"");
  EXPECT_EQ(j->AsObject()->GetO("flag")->AsJSon(), "true");
  EXPECT_EQ(j->AsObject()->GetO("404")->AsJSon(), "\"missing\"");
  EXPECT_FALSE(j->AsObject()->Exists("on"));
  EXPECT_EQ(headers->GetItemByName("label")->GetValue().ToString(), "x");

  // A name another item holds is refused; the item keeps its old name.
  TIWZQJSonDynObjItem* label = headers->GetItemByName("label");
  EXPECT_THROW(label->SetName("width"), EListError);
  EXPECT_EQ(label->GetName(), "label");
  EXPECT_EQ(headers->GetItemByName("label"), label);
  EXPECT_THROW(headers->Add("flag", Variant(1)), EListError);
}

TEST_F(ListsTest, DynamicItemsKeep64BitIntegers) {
  TIWZQJSonDynObjList* headers = opts->GetDynObjListValue(14);
  headers->Add("big", Variant(static_cast<long long>(9007199254740993LL)));
  headers->Add("low", Variant(static_cast<long long>(LLONG_MIN)));
  ISuperObject j = headers->GetJSon();
  EXPECT_EQ(j->AsObject()->GetO("big")->AsJSon(), "9007199254740993");
  EXPECT_EQ(j->AsObject()->GetO("low")->AsJSon(), "-9223372036854775808");
}

TEST_F(ListsTest, DynamicItemChangesAreRecorded) {
  TIWZQJSonDynObjList* headers = opts->GetDynObjListValue(14);
  auto* item = headers->Add("a", Variant(1));
  ctl->InCallback = true;
  item->SetValue(Variant(2));
  item->SetName("b");
  headers->Add("c", Variant(3));
  ASSERT_GE(ctl->Recorded.size(), 3u);
  for (auto& r : ctl->Recorded) EXPECT_EQ(r.second->Name(), "headers");
  EXPECT_EQ(ctl->FinishCallback(), "MENU1IWCL.setOption(\"headers\",{c:3,b:2});");
}

TEST_F(ListsTest, NamesThatAreNotIdentifiersAreQuoted) {
  TIWZQJSonDynObjList* headers = opts->GetDynObjListValue(14);
  headers->Add("X-Requested-With", Variant("zq"));
  headers->Add("a\"});alert(1);({\"", Variant(1));
  opts->SetColorValue(5, "#000000");
  std::string text = opts->GetJSonText();
  EXPECT_NE(text.find("\"background-color\":\"#000000\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"X-Requested-With\":\"zq\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"a\\\"});alert(1);({\\\"\":1"), std::string::npos) << text;
  // Names that were valid before are written unchanged.
  ISuperObject plain = SO("{a:1,$b:2,_c3:3,\"404\":4,\"0\":5}");
  EXPECT_EQ(ZQOptionJSonText(plain, false), plain->AsJSon(false, true, false));
  EXPECT_TRUE(ZQIsBareJSonName("404"));
  EXPECT_FALSE(ZQIsBareJSonName("007"));
  EXPECT_FALSE(ZQIsBareJSonName("-1"));
  EXPECT_FALSE(ZQIsBareJSonName("1a"));
  EXPECT_FALSE(ZQIsBareJSonName(""));
  EXPECT_FALSE(ZQIsBareJSonName("a\xE2\x80\xA8"));
  EXPECT_EQ(ZQOptionJSonText(SO("{\"a b\":[{\"c.d\":1}]}"), false), "{\"a b\":[{\"c.d\":1}]}");
  // Indented output keeps the layout of the JSON writer.
  ISuperObject nested = SO("{\"a-b\":{c:[1,2]}}");
  EXPECT_EQ(ZQOptionJSonText(nested, true), "{\r\n \"a-b\": {\r\n  c: [\r\n   1,2]\r\n }\r\n}");
}

}  // namespace
}  // namespace zq::test
