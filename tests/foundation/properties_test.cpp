#include "foundation/properties.h"

#include <gtest/gtest.h>

#include "foundation/exception.h"
#include "foundation/variant.h"

namespace zq {
namespace {

enum class TShapeKind { skCircle, skSquare, skTriangle };
ZQ_ENUM_NAMES(TShapeKind, "skCircle", "skSquare", "skTriangle")

class TBase : public TPersistent {
  ZQ_CLASS(TBase, TPersistent)
  int FWidth = 10;
  std::string FCaption;
  int GetWidth() const { return FWidth; }
  void SetWidth(int v) { FWidth = v; }
  bool IsWidthStored() const { return FWidth != 10; }
};

ZQ_IMPLEMENT_CLASS(TBase) {
  c.Prop("Width", &TBase::GetWidth, &TBase::SetWidth).Stored(&TBase::IsWidthStored);
  c.Prop("Caption", &TBase::FCaption);
}

// Index-based accessors, the way option objects bind properties to members.
class TShape : public TBase {
  ZQ_CLASS(TShape, TBase)
  long long FValues[4] = {0, 0, 0, 0};
  TShapeKind FKind = TShapeKind::skCircle;
  SetOf<TShapeKind> FAllowed;
  double FRatio = 1.5;
  TShape* FNext = nullptr;
  TNotifyEvent FOnChange;
  std::string FHidden = "h";
  std::vector<int> FBig;
  Variant FAny;

  int GetIntegerValue(int index) const { return static_cast<int>(FValues[index]); }
  void SetIntegerValue(int index, int v) { FValues[index] = v; }
  bool IsIntegerStored(int index) const { return FValues[index] != 0; }
  TShapeKind GetKind() const { return FKind; }
  void SetKind(TShapeKind k) { FKind = k; }
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& e) { FOnChange = e; }
  void Changed(TObject*) {}
};

ZQ_IMPLEMENT_CLASS(TShape) {
  c.Prop("Left", 0, &TShape::GetIntegerValue, &TShape::SetIntegerValue).Stored(&TShape::IsIntegerStored);
  c.Prop("Top", 1, &TShape::GetIntegerValue, &TShape::SetIntegerValue).Stored(&TShape::IsIntegerStored);
  c.Prop("Big", &TShape::FBig);  // not one of the named kinds: Other
  c.Prop("Kind", &TShape::GetKind, &TShape::SetKind);
  c.Prop("Allowed", &TShape::FAllowed);
  c.Prop("Ratio", &TShape::FRatio);
  c.Prop("Next", &TShape::FNext);
  c.Prop("OnChange", &TShape::GetOnChange, &TShape::SetOnChange);
  c.Prop("Hidden", &TShape::FHidden, nullptr).Stored(false);
  c.Prop("Any", &TShape::FAny);
  // Redeclared: keeps its inherited place, new stored rule.
  c.Prop("Caption", &TShape::FCaption).Stored(false);
}

std::vector<std::string> Names(const std::vector<const PropInfo*>& list) {
  std::vector<std::string> r;
  for (auto* p : list) r.push_back(p->Name);
  return r;
}

TEST(PropertyTable, AncestorsFirstThenOwnInDeclarationOrder) {
  const ClassInfo& ci = TShape::StaticClass();
  EXPECT_EQ(ci.Name(), "TShape");
  EXPECT_EQ(ci.Parent(), &TBase::StaticClass());
  EXPECT_EQ(Names(ci.Properties()), (std::vector<std::string>{"Width", "Caption", "Left", "Top", "Big", "Kind",
                                                              "Allowed", "Ratio", "Next", "Hidden", "Any"}));
  EXPECT_EQ(Names(ci.Events()), std::vector<std::string>{"OnChange"});
  EXPECT_EQ(Names(TBase::StaticClass().Properties()), (std::vector<std::string>{"Width", "Caption"}));
  // Built once: the same table every time.
  EXPECT_EQ(&TShape::StaticClass(), &ci);
}

TEST(PropertyTable, KindsIndexesAndClasses) {
  const ClassInfo& ci = TShape::StaticClass();
  EXPECT_EQ(ci.FindProperty("width")->Kind, PropKind::Integer);
  EXPECT_FALSE(ci.FindProperty("Width")->HasIndex());
  EXPECT_EQ(ci.FindProperty("TOP")->Index, 1);
  EXPECT_EQ(ci.FindProperty("Caption")->Kind, PropKind::Text);
  EXPECT_EQ(ci.FindProperty("Kind")->Kind, PropKind::Enumeration);
  EXPECT_EQ(ci.FindProperty("Allowed")->Kind, PropKind::Set);
  EXPECT_EQ(ci.FindProperty("Ratio")->Kind, PropKind::Float);
  EXPECT_EQ(ci.FindProperty("Big")->Kind, PropKind::Other);
  EXPECT_EQ(ci.FindProperty("Any")->Kind, PropKind::Variant);
  EXPECT_EQ(ci.FindProperty("Next")->Kind, PropKind::Object);
  EXPECT_EQ(ci.FindProperty("Next")->ObjectClass(), &TShape::StaticClass());
  EXPECT_FALSE(ci.FindProperty("Hidden")->IsWritable());
  EXPECT_EQ(ci.FindProperty("OnChange"), nullptr);  // events are looked up apart
  EXPECT_EQ(ci.FindEvent("onchange")->Kind, PropKind::Method);
  EXPECT_EQ(ci.FindProperty("Nope"), nullptr);
  EXPECT_TRUE(ci.InheritsFrom(TPersistent::StaticClass()));
  EXPECT_FALSE(TBase::StaticClass().InheritsFrom(ci));
}

TEST(PropertyTable, ReadAndWriteByName) {
  TShape s;
  TObject* o = &s;
  EXPECT_EQ(o->ClassName(), "TShape");
  SetOrdProp(o, PropByName(o, "left"), 42);
  SetOrdProp(o, PropByName(o, "Width"), 7);
  EXPECT_EQ(s.FValues[0], 42);
  EXPECT_EQ(GetOrdProp(o, PropByName(o, "Left")), 42);
  EXPECT_EQ(s.FWidth, 7);
  SetStrProp(o, PropByName(o, "caption"), "Hello");
  EXPECT_EQ(GetStrProp(o, PropByName(o, "Caption")), "Hello");
  SetFloatProp(o, PropByName(o, "Ratio"), 0.25);
  EXPECT_DOUBLE_EQ(s.FRatio, 0.25);
  SetEnumProp(o, PropByName(o, "Kind"), "SKSQUARE");
  EXPECT_EQ(s.FKind, TShapeKind::skSquare);
  EXPECT_EQ(GetEnumProp(o, PropByName(o, "Kind")), "skSquare");
  SetSetProp(o, PropByName(o, "Allowed"), "[skTriangle, skCircle]");
  EXPECT_TRUE(s.FAllowed.Contains(TShapeKind::skCircle));
  EXPECT_FALSE(s.FAllowed.Contains(TShapeKind::skSquare));
  EXPECT_EQ(GetSetProp(o, PropByName(o, "Allowed")), "skCircle,skTriangle");
  EXPECT_EQ(GetSetProp(o, PropByName(o, "Allowed"), true), "[skCircle,skTriangle]");
  TShape other;
  SetObjectProp(o, PropByName(o, "Next"), &other);
  EXPECT_EQ(s.FNext, &other);
  EXPECT_EQ(GetObjectProp(o, PropByName(o, "Next")), &other);

  SetPropAs(o, PropByName(o, "Any"), Variant(2.5));
  EXPECT_EQ(s.FAny.ToDouble(), 2.5);
  EXPECT_EQ(GetPropAs<Variant>(o, PropByName(o, "any")).ToString(), "2.5");
  EXPECT_THROW(GetPropAs<std::string>(o, PropByName(o, "Any")), EPropertyError);

  TNotifyEvent ev(&s, &TShape::Changed);
  SetPropAs(o, PropByName(o, "OnChange"), ev);
  EXPECT_TRUE(GetPropAs<TNotifyEvent>(o, PropByName(o, "OnChange")) == ev);
}

TEST(PropertyTable, BadAccessRaises) {
  TShape s;
  EXPECT_THROW(PropByName(&s, "Missing"), EPropertyError);
  EXPECT_THROW(SetStrProp(&s, PropByName(&s, "Hidden"), "x"), EPropertyError);
  EXPECT_THROW(GetStrProp(&s, PropByName(&s, "Width")), EPropertyError);
  EXPECT_THROW(SetEnumProp(&s, PropByName(&s, "Kind"), "skHexagon"), EPropertyError);
  EXPECT_THROW(SetOrdProp(&s, PropByName(&s, "Kind"), 3), EPropertyError);
  EXPECT_THROW(SetSetProp(&s, PropByName(&s, "Allowed"), "skCircle,bogus"), EPropertyError);
  TBase notAShape;
  EXPECT_THROW(SetObjectProp(&s, PropByName(&s, "Next"), &notAShape), EInvalidCast);
  EXPECT_EQ(s.FNext, nullptr);
}

TEST(PropertyTable, StoredRules) {
  TShape s;
  EXPECT_FALSE(IsStoredProp(&s, "Width"));  // predicate: default value
  s.FWidth = 11;
  EXPECT_TRUE(IsStoredProp(&s, "Width"));
  EXPECT_FALSE(IsStoredProp(&s, "Top"));  // indexed predicate receives the index
  s.FValues[1] = 3;
  EXPECT_TRUE(IsStoredProp(&s, "Top"));
  EXPECT_FALSE(IsStoredProp(&s, "Left"));
  EXPECT_TRUE(IsStoredProp(&s, "Ratio"));    // always
  EXPECT_FALSE(IsStoredProp(&s, "Hidden"));  // never
  EXPECT_FALSE(IsStoredProp(&s, "Caption"));  // redeclared never stored
  EXPECT_TRUE(IsStoredProp(&static_cast<TBase&>(s), "Caption") == false);
  TBase b;
  EXPECT_TRUE(IsStoredProp(&b, "Caption"));
  EXPECT_FALSE(IsStoredProp(&s, "Missing"));
}

TEST(PropertyTable, CopyValueCopiesEveryWritableProperty) {
  TShape a, b, target;
  a.FWidth = 3;
  a.FCaption = "c";
  a.FKind = TShapeKind::skTriangle;
  a.FNext = &target;
  a.FOnChange = TNotifyEvent(&a, &TShape::Changed);
  for (auto* p : TShape::StaticClass().Properties())
    if (p->IsWritable()) p->CopyValue(&a, &b);
  for (auto* p : TShape::StaticClass().Events()) p->CopyValue(&a, &b);
  EXPECT_EQ(b.FWidth, 3);
  EXPECT_EQ(b.FCaption, "c");
  EXPECT_EQ(b.FKind, TShapeKind::skTriangle);
  EXPECT_EQ(b.FNext, &target);  // shared reference
  EXPECT_TRUE(b.FOnChange == a.FOnChange);
}

TEST(Persistent, AssignErrorNamesBothClasses) {
  TBase a;
  TShape b;
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TShape to a TBase.");
  }
  try {
    a.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a nil to a TBase.");
  }
}

TEST(ClassInfoFactories, DefaultFactoryMakesTheRightClass) {
  EXPECT_TRUE((TShape::StaticClass().CanCreate<TObject>()));
  std::unique_ptr<TObject> o(TShape::StaticClass().CreateInstance<TObject>());
  EXPECT_EQ(o->ClassName(), "TShape");
  EXPECT_FALSE((TShape::StaticClass().CanCreate<TObject, int>()));
  EXPECT_THROW((TShape::StaticClass().CreateInstance<TObject, int>(1)), EInvalidCast);
}

}  // namespace
}  // namespace zq
