#include "foundation/proppath.h"

#include <gtest/gtest.h>

#include "foundation/collection.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "error_message.h"

namespace zq {
namespace {

enum class TMarker { mkCircle, mkSquare };
ZQ_ENUM_NAMES(TMarker, "mkCircle", "mkSquare")

class TLegend : public TPersistent {
  ZQ_CLASS(TLegend, TPersistent)
  bool FShow = false;
  std::string FLocation = "ne";
  TMarker FMarker = TMarker::mkCircle;
  SetOf<TMarker> FMarkers;
  double FOpacity = 1.0;
};
ZQ_IMPLEMENT_CLASS(TLegend) {
  c.Prop("Show", &TLegend::FShow);
  c.Prop("Location", &TLegend::FLocation).Stored(false);
  c.Prop("Marker", &TLegend::FMarker);
  c.Prop("Markers", &TLegend::FMarkers);
  c.Prop("Opacity", &TLegend::FOpacity);
}

class TSerie : public TCollectionItem {
  ZQ_CLASS(TSerie, TCollectionItem)
  using TCollectionItem::TCollectionItem;
  std::string FLabel;
};
ZQ_IMPLEMENT_CLASS(TSerie) { c.Prop("Label", &TSerie::FLabel); }

class TChartOptions : public TPersistent {
  ZQ_CLASS(TChartOptions, TPersistent)
  TChartOptions() : FSeries(CreateOwned<TCollection>(TSerie::StaticClass(), this)) {}
  Owned<TLegend> FLegend = CreateOwned<TLegend>();
  Owned<TCollection> FSeries;
  TLegend* FShared = nullptr;
  int FWidth = 10;
  long long FBig = 0;
  Variant FData;
  TNotifyEvent FOnDraw;
  TLegend* GetLegend() const { return FLegend.get(); }
  TCollection* GetSeries() const { return FSeries.get(); }
  int GetReadOnly() const { return 7; }
  bool IsWidthStored() const { return FWidth != 10; }
};
ZQ_IMPLEMENT_CLASS(TChartOptions) {
  c.Prop("Legend", &TChartOptions::GetLegend);
  c.Prop("Series", &TChartOptions::GetSeries);
  c.Prop("Shared", &TChartOptions::FShared);
  c.Prop("Width", &TChartOptions::FWidth).Stored(&TChartOptions::IsWidthStored);
  c.Prop("Big", &TChartOptions::FBig);
  c.Prop("Data", &TChartOptions::FData);
  c.Prop("ReadOnly", &TChartOptions::GetReadOnly);
  c.Prop("OnDraw", &TChartOptions::FOnDraw);
}

void DrawHandler(TObject*) {}
using test::Message;

class PropPath : public ::testing::Test {
 protected:
  void SetUp() override {
    o.FWidth = 33;
    o.FLegend->FShow = true;
    o.FLegend->FMarker = TMarker::mkSquare;
    o.FLegend->FMarkers = SetOf<TMarker>::FromMask(3);
    o.FSeries->ItemAs<TSerie>(o.FSeries->Add()->GetIndex())->FLabel = "first";
    static_cast<TSerie*>(o.FSeries->Add())->FLabel = "second";
  }
  TChartOptions o;
};

TEST_F(PropPath, GetValuesAlongAPath) {
  std::optional<PropKind> kind;
  EXPECT_EQ(ZQGetObjPropsValue(&o, " Width ", kind).ToInt64(), 33);
  EXPECT_EQ(kind, PropKind::Integer);
  EXPECT_TRUE(ZQGetObjPropsValue(&o, "legend.show", kind).ToBool());
  EXPECT_EQ(kind, PropKind::Boolean);
  EXPECT_EQ(ZQGetObjPropsValue(&o, "Legend.Marker").ToString(), "mkSquare");
  EXPECT_EQ(ZQGetObjPropsValue(&o, "Legend.Markers").ToString(), "mkCircle,mkSquare");
  EXPECT_EQ(ZQGetObjPropsValue(&o, "Series[1].Label").ToString(), "second");
  EXPECT_EQ(ZQGetObjPropsValue(&o, "Series.Items[0].Label").ToString(), "first");
  EXPECT_TRUE(ZQGetObjPropsValue(&o, "").IsNull());
}

TEST_F(PropPath, GetObjectIdentity) {
  EXPECT_EQ(ZQGetObjPropsValue(&o, "Legend", false).ToObject(), o.FLegend.get());
  EXPECT_EQ(ZQGetObjPropsValue(&o, "Series[0]", false).ToObject(), o.FSeries->Items(0));
  EXPECT_EQ(ZQGetObjPropsValue(&o, "Width", false).ToObject(), nullptr);
  EXPECT_EQ(Message([&] { ZQGetObjPropsValue(&o, "Legend", true); }), "Invalid Value!");
}

TEST_F(PropPath, MissingNamesGiveNullAndValuesCannotContinue) {
  std::optional<PropKind> kind;
  EXPECT_TRUE(ZQGetObjPropsValue(&o, "Nothing.Show", kind, false).IsNull());
  EXPECT_FALSE(kind.has_value());
  EXPECT_TRUE(ZQGetObjPropsValue(&o, "Legend.Nothing.Show", false).IsNull());
  EXPECT_EQ(Message([&] { ZQGetObjPropsValue(&o, "Width.Foo.Bar"); }), "Invalid expression: \"Foo.Bar\"!");
  EXPECT_EQ(Message([&] { ZQGetObjPropsValue(&o, "Shared.Show"); }), "Invalid expression: \"Show\"!");
  EXPECT_EQ(Message([&] { ZQGetObjPropsValue(&o, "Legend[0].Show"); }),
            "The class \"TLegend\" its not a TCollection");
  EXPECT_THROW(ZQGetObjPropsValue(&o, "Legend[0].Show"), EPropertyError);
  EXPECT_EQ(Message([&] { ZQGetObjPropsValue(&o, "Series[x].Label"); }), "'x' is not a valid integer value");
}

TEST_F(PropPath, IndexOutsideACollectionIsLikeAMissingName) {
  for (const char* path : {"Series[2].Label", "Series[-1].Label", "Series[99999999].Label", "Series.Items[5]"}) {
    EXPECT_TRUE(ZQGetObjPropsValue(&o, path, false).IsNull()) << path;
    EXPECT_TRUE(ZQSetObjPropsValue(o.FSeries.get(), std::string(path).substr(7), Variant("x")).IsNull()) << path;
  }
  EXPECT_EQ(o.FSeries->ItemAs<TSerie>(0)->FLabel, "first");
  EXPECT_EQ(o.FSeries->ItemAs<TSerie>(1)->FLabel, "second");
}

TEST_F(PropPath, SetValues) {
  EXPECT_TRUE(ZQSetObjPropsValue(&o, "Width", Variant(5)).IsNull());
  EXPECT_EQ(o.FWidth, 5);
  EXPECT_EQ(ZQSetObjPropsValue(&o, "Width", Variant("6"), false, true).ToInt64(), 5);
  EXPECT_EQ(o.FWidth, 6);
  ZQSetObjPropsValue(&o, "Legend.Show", Variant("Off"));
  EXPECT_FALSE(o.FLegend->FShow);
  ZQSetObjPropsValue(&o, "Legend.Show", Variant("yes"));
  EXPECT_TRUE(o.FLegend->FShow);
  ZQSetObjPropsValue(&o, "Legend.Marker", Variant("mkCircle"));
  EXPECT_EQ(o.FLegend->FMarker, TMarker::mkCircle);
  ZQSetObjPropsValue(&o, "Legend.Marker", Variant(1));
  EXPECT_EQ(o.FLegend->FMarker, TMarker::mkSquare);
  ZQSetObjPropsValue(&o, "Legend.Opacity", Variant(0.5));
  EXPECT_DOUBLE_EQ(o.FLegend->FOpacity, 0.5);
  ZQSetObjPropsValue(&o, "Big", Variant(1LL << 40));
  EXPECT_EQ(o.FBig, 1LL << 40);
  ZQSetObjPropsValue(&o, "Data", Variant("v"));
  EXPECT_EQ(o.FData.ToString(), "v");
  // Indexed segments are read on a collection itself.
  ZQSetObjPropsValue(o.FSeries.get(), "Items[1].Label", Variant("changed"));
  EXPECT_EQ(o.FSeries->ItemAs<TSerie>(1)->FLabel, "changed");
  // Object properties: set by identity unless descended into.
  TLegend other;
  ZQSetObjPropsValue(&o, "Shared", Variant(static_cast<TObject*>(&other)));
  EXPECT_EQ(o.FShared, &other);
  ZQSetObjPropsValue(&o, "Shared", Variant(), true);  // descend: nothing more to set
  EXPECT_EQ(o.FShared, &other);
  EXPECT_TRUE(ZQSetObjPropsValue(&o, "Nothing", Variant(1)).IsNull());
  EXPECT_EQ(Message([&] { ZQSetObjPropsValue(&o, "Width.More", Variant(1)); }), "Invalid expression: \"More\"!");
  EXPECT_EQ(o.FWidth, 1);  // the write before the failing segment stays
}

TEST_F(PropPath, CopyPublishedProps) {
  TChartOptions dst;
  TLegend shared;
  o.FShared = &shared;
  o.FBig = 99;
  o.FOnDraw = TNotifyEvent(&DrawHandler);
  ZQCopyPublishedProps(&o, &dst, {"big"});
  EXPECT_EQ(dst.FWidth, 33);
  EXPECT_EQ(dst.FBig, 0);            // skipped, case-insensitive
  EXPECT_EQ(dst.FShared, &shared);   // shared reference, not a copy
  EXPECT_FALSE(dst.FOnDraw);         // events only when asked
  ZQCopyPublishedProps(&o, &dst, {}, true);
  EXPECT_EQ(dst.FBig, 99);
  EXPECT_TRUE(dst.FOnDraw == o.FOnDraw);
  // A source of another class: only the properties it has under the same
  // name and kind are taken.
  TLegend legend;
  legend.FShow = true;
  TLegend legend2;
  ZQCopyPublishedProps(&legend, &legend2);
  EXPECT_TRUE(legend2.FShow);
  ZQCopyPublishedProps(&legend, &dst);  // no common properties, no harm
  EXPECT_EQ(dst.FWidth, 33);
}

TEST_F(PropPath, StoredAndIteration) {
  EXPECT_TRUE(PropIsStored(&o, "Width"));
  o.FWidth = 10;
  EXPECT_FALSE(PropIsStored(&o, "Width"));
  EXPECT_FALSE(PropIsStored(o.FLegend.get(), "Location"));
  EXPECT_FALSE(PropIsStored(&o, "Nothing"));
  std::vector<std::string> names;
  int n = ForEachProp(&o, nullptr, [&](TObject*, const PropInfo& p, TObject*) {
    names.push_back(p.Name);
    return false;
  });
  EXPECT_EQ(n, 7);
  EXPECT_EQ(names, (std::vector<std::string>{"Legend", "Series", "Shared", "Width", "Big", "Data", "ReadOnly"}));
  std::vector<const PropInfo*> cached = {o.ClassType().FindProperty("Big")};
  EXPECT_EQ(ForEachProp(&o, &cached, [](TObject*, const PropInfo&, TObject*) { return true; }), 1);
  const PropInfo* first = FirstThatProp(&o, nullptr, [](TObject* obj, const PropInfo& p, TObject* opt) {
    return opt == obj && p.Kind == PropKind::Integer;
  }, &o);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Name, "Width");
  EXPECT_EQ(FirstThatProp(&o, nullptr, [](TObject*, const PropInfo&, TObject*) { return false; }), nullptr);
}

}  // namespace
}  // namespace zq
