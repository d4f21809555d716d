#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "foundation/exception.h"
#include "foundation/jqcommon.h"
#include "options/optionrows.h"
#include "options/options_support.h"

namespace zq::test {
namespace {

std::string Text(const ISuperObject& n) {
  return ZQOptionJSonText(n, false);
}

#define ZQ_ROW_SIDE_VALUES(X) X(sdTop, "top") X(sdLeft, "left") X(sdBottom, "bottom")
ZQ_OPTION_ENUM(TRowSide, ZQ_ROW_SIDE_VALUES)
using TRowSides = SetOf<TRowSide>;
constexpr TRowSides kRowDefaultSides{TRowSide::sdTop, TRowSide::sdBottom};

#define ZQ_ROW_BASE_ROWS(X)                                   \
  X(String, Title, "title", "")                               \
  X(Boolean, Visible, "visible", true)                        \
  X(Enum, Side, "side", TRowSide, TRowSide::sdLeft)           \
  X(EnumSet, Sides, "sides", TRowSide, kRowDefaultSides)      \
  X(Obj, Animation, "animation", TIWZQJQContextMenuAnimation) \
  X(Func, OnGo, "go", "e, ui")                                \
  X(Integer, Secret, "secret", 3, kZQServerOnly | kZQUnchangeable)

class TRowBase : public TIWZQJSon {
  ZQ_OPTIONS(TRowBase, TIWZQJSon, ZQ_ROW_BASE_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_ROW_DERIVED_ROWS(X)                                    \
  X(Double, Width, "width", 1.5)                                  \
  X(Currency, Price, "price", Currency::FromRaw(0))               \
  X(Variant, Data, "data", Variant())                             \
  X(Color, Fill, "fill", "#ffffff")                               \
  X(JSon, Items, "items", "[]")                                   \
  X(SimpleArray, Points, "points", true)                          \
  X(DynObjList, Headers, "headers")                               \
  X(ObjList, Steps, "steps", TIWZQJSonList)                       \
  X(Obj, Inner, "inner", TIWZQJQContextMenuAnimation, kZQDynamic) \
  X(FuncOf, OnStop, "stop", "e", TTestFunc, kZQFixedScript)       \
  X(Custom, Label, "label", String, "none")

// Continues TRowBase's numbering; Label is published through its own accessors.
class TRowDerived : public TRowBase {
  ZQ_OPTIONS(TRowDerived, TRowBase, ZQ_ROW_DERIVED_ROWS)
  using TRowBase::TRowBase;
  std::string GetLabel() { return GetStringValue(kLabel); }
  void SetLabel(const std::string& v) { SetStringValue(kLabel, "<" + v + ">"); }
  int Extra = 0;
};

ZQ_IMPLEMENT_OPTIONS(TRowBase) {}
ZQ_IMPLEMENT_OPTIONS(TRowDerived) {
  c.Prop("Extra", &TRowDerived::Extra);
}

class RowFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestFunctions();
    ctl = Owned<TTestContainer>(Create<TTestContainer>());
    obj = Owned<TRowDerived>(TIWZQJSon::CreateSingle<TRowDerived>(ctl.get(), "Options"));
  }
  Owned<TTestContainer> ctl;
  Owned<TRowDerived> obj;
};

TEST_F(RowFormTest, IndexesFollowTheRowsAndContinueTheParents) {
  static_assert(TRowBase::kTitle == 0 && TRowBase::kSecret == 6 && TRowBase::kZQRowsEnd == 7);
  static_assert(TRowDerived::kWidth == 7 && TRowDerived::kLabel == 17 &&
                TRowDerived::kZQRowsEnd == 18);
  TZQJSonClassData* cd = obj->GetClassData();
  ASSERT_EQ(cd->MemberCount(), 18);
  const char* names[] = {"title",  "visible", "side",  "sides", "animation", "go",
                         "secret", "width",   "price", "data",  "fill",      "items",
                         "points", "headers", "steps", "inner", "stop",      "label"};
  const TZQJSonMemberType kinds[] = {
      mtString,          mtBoolean,        mtEnum,        mtEnumSet, mtJSonObj,  mtJSonFunc,
      mtInteger,         mtDouble,         mtCurrency,    mtVariant, mtColor,    mtJSon,
      mtJSonSimpleArray, mtJSonDynObjList, mtJSonObjList, mtJSonObj, mtJSonFunc, mtString};
  for (int i = 0; i < 18; ++i) {
    TZQJSonMember* m = cd->Members().GetItem(i);
    EXPECT_EQ(m->Name(), names[i]) << i;
    EXPECT_EQ(m->MType(), kinds[i]) << i;
    // The defaults: changeable and written, except where a row says otherwise.
    EXPECT_EQ(m->Unchangeable(), i == TRowBase::kSecret) << i;
    EXPECT_EQ(m->GenerateJSon(), i != TRowBase::kSecret) << i;
    EXPECT_EQ(m->Dynamic(), i == TRowDerived::kInner) << i;
    EXPECT_EQ(m->HasFixedScript(), i == TRowDerived::kOnStop) << i;
  }
  auto* side = static_cast<TZQJSonEnumMember*>(cd->Members().GetItem(TRowBase::kSide));
  EXPECT_EQ(side->FStrArr, (TZQStringArray{"top", "left", "bottom"}));
  EXPECT_EQ(side->FDefVal, 1);
  auto* sides = static_cast<TZQJSonEnumSetMember*>(cd->Members().GetItem(TRowBase::kSides));
  EXPECT_EQ(sides->FSize, 1);
  EXPECT_EQ(sides->FDefBuf, (TZQByteArray{0x05}));
  auto* stop = static_cast<TZQJSonFuncMember*>(cd->Members().GetItem(TRowDerived::kOnStop));
  EXPECT_EQ(stop->FArgs, "e");
  EXPECT_EQ(stop->FFuncClass, &TTestFunc::StaticClass());
  EXPECT_EQ(static_cast<TZQJSonFuncMember*>(cd->Members().GetItem(TRowBase::kOnGo))->FArgs,
            "e, ui");
  EXPECT_EQ(static_cast<TZQJSonObjMember*>(cd->Members().GetItem(TRowDerived::kSteps))->FObjClass,
            &TIWZQJSonList::StaticClass());
  EXPECT_TRUE(
      static_cast<TZQJSonSimpleArrayMember*>(cd->Members().GetItem(TRowDerived::kPoints))->FQuoted);
}

TEST_F(RowFormTest, PropertyTableListsTheRowsThenTheClassesOwn) {
  const char* props[] = {"Title", "Visible", "Side",   "Sides", "Animation", "OnGo",   "Secret",
                         "Width", "Price",   "Data",   "Fill",  "Items",     "Points", "Headers",
                         "Steps", "Inner",   "OnStop", "Label", "Extra"};
  const auto& table = obj->GetClassData()->PropList();
  ASSERT_EQ(table.size(), 19u);
  for (int i = 0; i < 19; ++i) {
    EXPECT_EQ(table[static_cast<std::size_t>(i)]->Name, props[i]);
    if (i < 18) {
      EXPECT_EQ(obj->GetPropIndexByName(props[i]), i);
    }
  }
  EXPECT_EQ(obj->GetPropIndexByName("Extra"), -1);
  const PropInfo& side = PropByName(obj.get(), "Side");
  EXPECT_EQ(side.Kind, PropKind::Enumeration);
  EXPECT_EQ(*side.EnumNames, (EnumNameList{"sdTop", "sdLeft", "sdBottom"}));
  EXPECT_EQ(PropByName(obj.get(), "Sides").Kind, PropKind::Set);
  // The custom row's property goes through the class's accessors.
  SetStrProp(obj.get(), PropByName(obj.get(), "Label"), "shout");
  EXPECT_EQ(obj->GetLabel(), "<shout>");
  EXPECT_TRUE(IsStoredProp(obj.get(), "Label"));
  EXPECT_FALSE(IsStoredProp(obj.get(), "Title"));
}

TEST_F(RowFormTest, TypedAccessorsWriteTheLiteral) {
  // A fixed-script function is there from the start.
  EXPECT_EQ(Text(obj->GetJSon()), "{stop:function(e) {fixed();}}");
  obj->GetOnStop()->Script = "s();";
  obj->SetTitle("Sales");
  obj->SetVisible(false);
  obj->SetSide(TRowSide::sdBottom);
  obj->SetSides(TRowSides{TRowSide::sdLeft});
  obj->GetAnimation()->SetDuration(300);
  obj->GetOnGo<TTestFunc>()->Script = "go();";
  obj->SetSecret(9);
  obj->SetWidth(2.5);
  obj->SetPrice(Currency::FromRaw(12500));
  obj->SetData(Variant(7));
  obj->SetFill("#000000");
  obj->SetItems("[1, 2]");
  obj->GetInner()->SetShow("fadeIn");
  EXPECT_EQ(obj->GetSide(), TRowSide::sdBottom);
  EXPECT_TRUE(obj->GetSides() == TRowSides{TRowSide::sdLeft});
  EXPECT_EQ(obj->GetSecret(), 9);
  EXPECT_EQ(obj->GetItems(), "[1,2]");
  // The literal's members come in hash order; compare them by name.
  std::map<std::string, std::string> written;
  ISuperObject json = obj->GetJSon();
  for (const auto* e : json->AsObject()->Entries()) written[e->name()] = Text(e->value());
  const std::map<std::string, std::string> expected{{"title", "\"Sales\""},
                                                    {"visible", "false"},
                                                    {"side", "\"bottom\""},
                                                    {"sides", "[\"left\"]"},
                                                    {"animation", "{duration:300}"},
                                                    {"go", "function(e, ui) {go();}"},
                                                    {"width", "2.5"},
                                                    {"price", "1.25"},
                                                    {"data", "7"},
                                                    {"fill", "\"#000000\""},
                                                    {"items", "[1,2]"},
                                                    {"inner", "{show:\"fadeIn\"}"},
                                                    {"stop", "function(e) {fixed();s();}"}};
  EXPECT_EQ(written, expected);  // the server-only "secret" is not written
  obj->SetSides(kRowDefaultSides);
  obj->SetSide(TRowSide::sdLeft);
  EXPECT_FALSE(obj->IsEnumSetStored(TRowBase::kSides));
  EXPECT_FALSE(obj->IsEnumerStored(TRowBase::kSide));
}

// A property bound to a member of another kind: the class data refuses to build.
class TMismatchedOptions : public TIWZQJSon {
  ZQ_CLASS(TMismatchedOptions, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;

 protected:
  void AddMembers() override { AddEnumMember("style", {"circle", "square"}, 0, false, true); }
};
ZQ_IMPLEMENT_CLASS(TMismatchedOptions) {
  ZQ_JSON_PROP(c, "Style", 0, Enumer);
}

// Rows on top of a parent that declares a member by hand: the rows' indexes
// are off by one.
class THandParent : public TIWZQJSon {
  ZQ_CLASS(THandParent, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;

 protected:
  void AddMembers() override { AddIntegerMember("hand", 0, false, true); }
};
ZQ_IMPLEMENT_CLASS(THandParent) {}
#define ZQ_ROW_OFF_ROWS(X) X(Integer, Size, "size", 1)
class TOffRows : public THandParent {
  ZQ_OPTIONS(TOffRows, THandParent, ZQ_ROW_OFF_ROWS)
  using THandParent::THandParent;
};
// Not registered: ZQCheckOptionClasses must succeed in this program.
const ClassInfo& TOffRows::StaticClass() {
  static const ClassInfo* info = detail::BuildOptionClassInfo<TOffRows>();
  return *info;
}
void TOffRows::PublishProperties(ClassBuilder<TOffRows>&) {}

// An index without member.
class TIndexPastEnd : public TIWZQJSon {
  ZQ_CLASS(TIndexPastEnd, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;
};
ZQ_IMPLEMENT_CLASS(TIndexPastEnd) {
  ZQ_JSON_PROP(c, "Size", 0, Integer);
}

TEST(RowFormChecks, MismatchesFailWhenTheClassDataIsBuilt) {
  auto raises = [](auto create, const char* message) {
    try {
      Owned<TIWZQJSon> o(create());
      ADD_FAILURE() << "no error for " << message;
    } catch (const EIWZQJQuery& e) {
      EXPECT_STREQ(e.what(), message);
    }
  };
  raises([] { return TIWZQJSon::CreateSingle<TMismatchedOptions>(nullptr, ""); },
         "Property \"TMismatchedOptions.Style\" of kind \"Integer\" does not accept member "
         "\"style\" of kind "
         "\"mtEnum\"!");
  raises([] { return TIWZQJSon::CreateSingle<TOffRows>(nullptr, ""); },
         "Row \"Size\" of \"TOffRows\" has index 0 but its member is at 1!");
  raises([] { return TIWZQJSon::CreateSingle<TIndexPastEnd>(nullptr, ""); },
         "Property \"TIndexPastEnd.Size\" has index 0 but the class declares 0 members!");
  // Nothing was cached; the next attempt fails the same way.
  EXPECT_EQ(ZQFindJSonClassData(&TMismatchedOptions::StaticClass()), nullptr);
  EXPECT_THROW(TIWZQJSon::CreateSingle<TMismatchedOptions>(nullptr, ""), EIWZQJQuery);
}

TEST(RowFormChecks, RegisteredClassesAreCheckedTogether) {
  RegisterTestFunctions();
  std::vector<std::string> names;
  for (const TZQOptionClassEntry& e : ZQRegisteredOptionClasses())
    names.push_back(e.Class().Name());
  EXPECT_NE(std::find(names.begin(), names.end(), "TRowBase"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "TRowDerived"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), "TOffRows"), names.end());
  EXPECT_EQ(ZQCheckOptionClasses(), static_cast<int>(names.size()));
}

}  // namespace
}  // namespace zq::test
