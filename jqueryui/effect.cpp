#include "jqueryui/effect.h"

#include "events/response.h"
#include "foundation/format.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJQEffectOptionsBase) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQEffectOptions) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQEffectOptionsScaleFrom) {
  ZQ_ROWS_PROPS(TIWZQJQEffectOptionsScaleFrom, ZQ_SCALEFROM_ROWS);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQEffects) {
  ZQ_ROWS_PROPS(TIWZQJQEffects, ZQ_EFFECTS_ROWS);
  c.Prop("Enable", &TIWZQJQEffects::GetEnable, &TIWZQJQEffects::SetEnable);
}

void TIWZQJQEffectOptionsScaleFrom::AddMembers() {
  TIWZQJQEffectOptionsBase::AddMembers();
  ZQ_ROWS_ADD(ZQ_SCALEFROM_ROWS)
}

#define ZQ_EFFECT_OPTIONS_IMPL(NAME, ROWS)           \
  ZQ_IMPLEMENT_CLASS(TIWZQJQEffectOptions##NAME) {   \
    ZQ_ROWS_PROPS(TIWZQJQEffectOptions##NAME, ROWS); \
  }                                                  \
  void TIWZQJQEffectOptions##NAME::AddMembers() {    \
    TIWZQJQEffectOptions::AddMembers();              \
    ZQ_ROWS_ADD(ROWS)                                \
  }
ZQ_EFFECT_OPTIONS_IMPL(Blind, ZQ_BLIND_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Clip, ZQ_CLIP_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Drop, ZQ_DROP_EFFECT_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Explode, ZQ_EXPLODE_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Fade, ZQ_FADE_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Fold, ZQ_FOLD_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Puff, ZQ_PUFF_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Slide, ZQ_SLIDE_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Scale, ZQ_SCALE_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Bounce, ZQ_BOUNCE_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Highlight, ZQ_HIGHLIGHT_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Pulsate, ZQ_PULSATE_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Shake, ZQ_SHAKE_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Size, ZQ_SIZE_ROWS)
ZQ_EFFECT_OPTIONS_IMPL(Transfer, ZQ_TRANSFER_ROWS)
#undef ZQ_EFFECT_OPTIONS_IMPL

const std::vector<std::string>& IWZQJQEffects() {
  static const std::vector<std::string> names = [] {
    const auto& pascal = ZqEnumNames(TIWZQJQEffect{});
    std::vector<std::string> r;
    r.emplace_back();
    for (std::size_t i = 1; i < pascal.size(); ++i) {
      std::string n(pascal[i].substr(3));
      for (char& ch : n) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
      r.push_back(std::move(n));
    }
    return r;
  }();
  return names;
}

const ClassInfo& ZQEffectOptionsClass(TIWZQJQEffect AEffect) {
  switch (AEffect) {
    case jqeBlind:
      return TIWZQJQEffectOptionsBlind::StaticClass();
    case jqeClip:
      return TIWZQJQEffectOptionsClip::StaticClass();
    case jqeDrop:
      return TIWZQJQEffectOptionsDrop::StaticClass();
    case jqeExplode:
      return TIWZQJQEffectOptionsExplode::StaticClass();
    case jqeFade:
      return TIWZQJQEffectOptionsFade::StaticClass();
    case jqeFold:
      return TIWZQJQEffectOptionsFold::StaticClass();
    case jqePuff:
      return TIWZQJQEffectOptionsPuff::StaticClass();
    case jqeSlide:
      return TIWZQJQEffectOptionsSlide::StaticClass();
    case jqeScale:
      return TIWZQJQEffectOptionsScale::StaticClass();
    case jqeBounce:
      return TIWZQJQEffectOptionsBounce::StaticClass();
    case jqeHighlight:
      return TIWZQJQEffectOptionsHighlight::StaticClass();
    case jqePulsate:
      return TIWZQJQEffectOptionsPulsate::StaticClass();
    case jqeShake:
      return TIWZQJQEffectOptionsShake::StaticClass();
    case jqeSize:
      return TIWZQJQEffectOptionsSize::StaticClass();
    case jqeTransfer:
      return TIWZQJQEffectOptionsTransfer::StaticClass();
    case jqeNone:
      break;
  }
  return TIWZQJQEffectOptions::StaticClass();
}

// ---------------------------------------------------------------- effects

void TIWZQJQEffects::AddMembers() {
  TIWZQJQEffectOptionsBase::AddMembers();
  ZQ_ROWS_ADD(ZQ_EFFECTS_ROWS)
}

bool TIWZQJQEffects::IsEffectStored() {
  return GetEffect() != jqeNone;
}

void TIWZQJQEffects::SetEffect(TIWZQJQEffect AValue) {
  if (AValue == GetEffect()) return;
  SetEffectOptionsClass(ZQEffectOptionsClass(AValue));
  SetEnumerAs(kEffect, AValue);
}

void TIWZQJQEffects::SetEffectOptionsClass(const ClassInfo& AClass) {
  TIWZQJSonInstObjItem* slot = GetInstSlot(kEffectOptions);
  if (!slot) return;
  const ClassInfo* current =
      slot->ObjClass() ? slot->ObjClass() : &ZQEffectOptionsClass(GetEffect());
  if (current == &AClass) return;
  slot->FreeObj();
  slot->SetObjClass(&AClass);
}

bool TIWZQJQEffects::GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) {
  if (TIWZQJQEffectOptionsBase::GetCustomJq(APropName, AJSon)) return true;
  return APropName == "Enable";
}

void TIWZQJQEffects::ThrowInvalidCast(const TObject* AObject, const char* ATarget) {
  throw EInvalidCast(Format("Invalid class typecast: a %s is not a %s",
                            AObject ? AObject->ClassName() : "nil", ATarget));
}

}  // namespace zq
