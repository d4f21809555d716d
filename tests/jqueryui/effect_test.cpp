// Effect options: the effect table, each effect's options, the class switch.
#include <gtest/gtest.h>

#include <string>

#include "events/response.h"
#include "foundation/exception.h"
#include "jqueryui/effect.h"

namespace zq {
namespace {

Owned<TIWZQJQEffects> MakeEffects() {
  return Owned<TIWZQJQEffects>(TIWZQJSon::CreateSingle<TIWZQJQEffects>(nullptr, ""));
}

std::string Text(TIWZQJSon* o) {
  ISuperObject j = o->GetJSon();
  return j ? ZQOptionJSonText(j, false) : std::string("<none>");
}

TEST(EffectOptions, NameTableAndClasses) {
  EXPECT_EQ(IWZQJQEffects(),
            (std::vector<std::string>{"", "blind", "clip", "drop", "explode", "fade", "fold",
                                      "puff", "slide", "scale", "bounce", "highlight", "pulsate",
                                      "shake", "size", "transfer"}));
  // The JSON texts of the "effect" member are the same table.
  EXPECT_EQ(ZqJsonTexts(TIWZQJQEffect{}), IWZQJQEffects());
  EXPECT_EQ(ZQEffectOptionsClass(jqeNone).Name(), "TIWZQJQEffectOptions");
  EXPECT_EQ(ZQEffectOptionsClass(jqeHighlight).Name(), "TIWZQJQEffectOptionsHighlight");
  EXPECT_EQ(ZQEffectOptionsClass(jqeTransfer).Name(), "TIWZQJQEffectOptionsTransfer");
  for (int e = jqeBlind; e <= jqeTransfer; ++e)
    EXPECT_TRUE(ZQEffectOptionsClass(static_cast<TIWZQJQEffect>(e))
                    .InheritsFrom(TIWZQJQEffectOptions::StaticClass()));
  EXPECT_FALSE(TIWZQJQEffectOptionsScaleFrom::StaticClass().InheritsFrom(
      TIWZQJQEffectOptions::StaticClass()));
  EXPECT_EQ(ZqJsonTexts(TIWZQJQDirection{}), (TZQStringArray{"vertical", "horizontal"}));
  EXPECT_EQ(ZqJsonTexts(TIWZQJQMode{}), (TZQStringArray{"show", "hide"}));
  EXPECT_EQ(ZqJsonTexts(TIWZQJQOtherDirection{}), (TZQStringArray{"left", "right", "up", "down"}));
  EXPECT_EQ(ZqJsonTexts(TIWZQJQScaleDirection{}),
            (TZQStringArray{"both", "vertical", "horizontal"}));
  EXPECT_EQ(ZqJsonTexts(TIWZQJQBounceMode{}), (TZQStringArray{"show", "hide", "effect"}));
}

TEST(EffectOptions, NewEffectsObject) {
  auto e = MakeEffects();
  EXPECT_EQ(e->GetEffect(), jqeNone);
  EXPECT_EQ(e->GetSpeed(), 500);
  EXPECT_FALSE(e->GetEnable());
  EXPECT_EQ(e->GetEffectOptions()->ClassType().Name(), "TIWZQJQEffectOptions");
  EXPECT_EQ(e->GetEffectOptions()->GetClassData()->MemberCount(), 0);
  EXPECT_EQ(Text(e.get()), "{}");
  e->SetEnable(true);
  EXPECT_EQ(Text(e.get()), "{}");  // Enable is never written
}

TEST(EffectOptions, BounceDefaultsAndClassSwitch) {
  auto e = MakeEffects();
  e->SetEffect(jqeBounce);
  TIWZQJQEffectOptionsBounce* b = e->GetEffectOptionsBounce();
  EXPECT_EQ(b->GetDirection(), jqodUp);
  EXPECT_EQ(b->GetDistance(), 20);
  EXPECT_EQ(b->GetMode(), jqbmEffect);
  EXPECT_EQ(b->GetTimes(), 5);
  EXPECT_EQ(Text(b), "{}");
  EXPECT_EQ(Text(e.get()), "{effect:\"bounce\"}");
  b->SetTimes(3);
  EXPECT_EQ(Text(e.get()), "{options:{times:3},effect:\"bounce\"}");
  // The same effect again keeps the options.
  e->SetEffect(jqeBounce);
  EXPECT_EQ(e->GetEffectOptionsBounce()->GetTimes(), 3);
  // Another effect loses them, coming back gives the defaults.
  e->SetEffect(jqeShake);
  EXPECT_EQ(e->GetEffectOptions()->ClassType().Name(), "TIWZQJQEffectOptionsShake");
  EXPECT_EQ(e->GetEffectOptionsShake()->GetTimes(), 3);  // shake's own default
  e->SetEffect(jqeBounce);
  EXPECT_EQ(e->GetEffectOptionsBounce()->GetTimes(), 5);
  EXPECT_EQ(&e->GetEffectOptionsClass(), &TIWZQJQEffectOptionsBounce::StaticClass());
}

TEST(EffectOptions, TypedViewOfAnotherClassRaises) {
  auto e = MakeEffects();
  e->SetEffect(jqeShake);
  try {
    e->GetEffectOptionsBlind();
    ADD_FAILURE() << "no exception";
  } catch (const EInvalidCast& x) {
    EXPECT_STREQ(
        x.what(),
        "Invalid class typecast: a TIWZQJQEffectOptionsShake is not a TIWZQJQEffectOptionsBlind");
  }
}

TEST(EffectOptions, EachEffectsOptions) {
  auto e = MakeEffects();
  e->SetEffect(jqeHighlight);
  EXPECT_EQ(e->GetEffectOptionsHighlight()->GetColor(), "#ffff99");
  EXPECT_EQ(e->GetEffectOptionsHighlight()->GetMode(), jqmShow);
  e->GetEffectOptionsHighlight()->SetColor("#ff0000");
  EXPECT_EQ(Text(e->GetEffectOptions()), "{color:\"#ff0000\"}");
  e->SetEffect(jqeBlind);
  EXPECT_EQ(e->GetEffectOptionsBlind()->GetMode(), jqmHide);
  e->GetEffectOptionsBlind()->SetDirection(jqdHorizontal);
  EXPECT_EQ(Text(e->GetEffectOptions()), "{direction:\"horizontal\"}");
  e->SetEffect(jqeExplode);
  EXPECT_EQ(e->GetEffectOptionsExplode()->GetPieces(), 9);
  e->SetEffect(jqeFold);
  EXPECT_EQ(e->GetEffectOptionsFold()->GetSize(), 15);
  e->SetEffect(jqePuff);
  EXPECT_EQ(e->GetEffectOptionsPuff()->GetPercent(), 150);
  e->SetEffect(jqeSlide);
  EXPECT_EQ(e->GetEffectOptionsSlide()->GetDirection(), jqodLeft);
  e->SetEffect(jqePulsate);
  EXPECT_EQ(e->GetEffectOptionsPulsate()->GetTimes(), 5);
  e->SetEffect(jqeFade);
  EXPECT_EQ(e->GetEffectOptionsFade()->GetClassData()->MemberCount(), 0);
  e->SetEffect(jqeScale);
  e->GetEffectOptionsScale()->GetFrom()->SetWidth(40);
  e->GetEffectOptionsScale()->GetOrigin()->Add("top");
  e->GetEffectOptionsScale()->GetOrigin()->Add("left");
  EXPECT_EQ(Text(e->GetEffectOptions()), "{origin:[\"top\",\"left\"],from:{width:40}}");
  e->SetEffect(jqeSize);
  e->GetEffectOptionsSize()->GetTo_()->SetHeight(7);
  EXPECT_EQ(Text(e->GetEffectOptions()), "{to:{height:7}}");
  e->SetEffect(jqeTransfer);
  e->GetEffectOptionsTransfer()->SetClassName_("ui-effects-transfer");
  EXPECT_EQ(Text(e->GetEffectOptions()), "{className:\"ui-effects-transfer\"}");
  e->SetEffect(jqeDrop);
  EXPECT_EQ(e->GetEffectOptionsDrop()->GetDirection(), jqodLeft);
  e->SetEffect(jqeClip);
  EXPECT_EQ(e->GetEffectOptionsClip()->GetDirection(), jqdVertical);
}

}  // namespace
}  // namespace zq

namespace zq {
namespace {

// A setter recorded for an option object goes when the object goes: freed by
// its owner, or replaced by an effect class switch.
TEST(EffectOptions, RecordedSettersNeverOutliveTheirObject) {
  Owned<TIWZQResponseList> list(Create<TIWZQResponseList>(nullptr));
  auto e = MakeEffects();
  e->SetEffect(jqeBounce);
  TIWZQJQEffectOptionsBounce* bounce = e->GetEffectOptionsBounce();
  list->AddResponseMember(
      bounce, bounce->GetClassData()->Members().Items(TIWZQJQEffectOptionsBounce::kTimes));
  list->AddResponseMember(e.get(), e->GetClassData()->Members().Items(TIWZQJQEffects::kSpeed));
  ASSERT_NE(list->GetItemByJSonObj(bounce), nullptr);
  e->SetEffect(jqeShake);  // frees the bounce options
  EXPECT_EQ(list->GetItemByJSonObj(bounce), nullptr);
  EXPECT_NE(list->GetItemByJSonObj(e.get()), nullptr);
  const TObject* gone = e.get();
  e.reset();
  EXPECT_EQ(list->GetItemByJSonObj(gone), nullptr);
  EXPECT_EQ(list->Count(), 0);
}

}  // namespace
}  // namespace zq
