// Effect options: one jQuery UI effect to run on an element - which effect,
// its effect-specific options, its speed and a completion callback.
//
// The effect-specific options are a sub-object whose class follows the
// chosen effect (TIWZQJQEffectOptionsBounce for jqeBounce, ...): choosing
// another effect frees the sub-object, and the next read creates one of the
// new class with its defaults. Choosing the same effect again keeps it.
#pragma once

#include <string>
#include <vector>

#include "foundation/properties.h"
#include "jqueryui/optionrows.h"

namespace zq {

enum TIWZQJQEffect {
  jqeNone,
  jqeBlind,
  jqeClip,
  jqeDrop,
  jqeExplode,
  jqeFade,
  jqeFold,
  jqePuff,
  jqeSlide,
  jqeScale,
  jqeBounce,
  jqeHighlight,
  jqePulsate,
  jqeShake,
  jqeSize,
  jqeTransfer
};
ZQ_ENUM_NAMES(TIWZQJQEffect, "jqeNone", "jqeBlind", "jqeClip", "jqeDrop", "jqeExplode", "jqeFade",
              "jqeFold", "jqePuff", "jqeSlide", "jqeScale", "jqeBounce", "jqeHighlight",
              "jqePulsate", "jqeShake", "jqeSize", "jqeTransfer")
// The effect names written to the client: entry 0 empty, entry n the value's
// name without "jqe", in lower case.
const std::vector<std::string>& IWZQJQEffects();
ZQ_ENUM_TEXTS(TIWZQJQEffect, "", "blind", "clip", "drop", "explode", "fade", "fold", "puff",
              "slide", "scale", "bounce", "highlight", "pulsate", "shake", "size", "transfer")

enum TIWZQJQDirection { jqdVertical, jqdHorizontal };
ZQ_ENUM_NAMES(TIWZQJQDirection, "jqdVertical", "jqdHorizontal")
ZQ_ENUM_TEXTS(TIWZQJQDirection, "vertical", "horizontal")
enum TIWZQJQMode { jqmShow, jqmHide };
ZQ_ENUM_NAMES(TIWZQJQMode, "jqmShow", "jqmHide")
ZQ_ENUM_TEXTS(TIWZQJQMode, "show", "hide")
enum TIWZQJQOtherDirection { jqodLeft, jqodRight, jqodUp, jqodDown };
ZQ_ENUM_NAMES(TIWZQJQOtherDirection, "jqodLeft", "jqodRight", "jqodUp", "jqodDown")
ZQ_ENUM_TEXTS(TIWZQJQOtherDirection, "left", "right", "up", "down")
enum TIWZQJQScaleDirection { jqsdBoth, jqsdVertical, jqsdHorizontal };
ZQ_ENUM_NAMES(TIWZQJQScaleDirection, "jqsdBoth", "jqsdVertical", "jqsdHorizontal")
ZQ_ENUM_TEXTS(TIWZQJQScaleDirection, "both", "vertical", "horizontal")
enum TIWZQJQBounceMode { jqbmShow, jqbmHide, jqbmEffect };
ZQ_ENUM_NAMES(TIWZQJQBounceMode, "jqbmShow", "jqbmHide", "jqbmEffect")
ZQ_ENUM_TEXTS(TIWZQJQBounceMode, "show", "hide", "effect")

// The base of the effect option classes (and of the effects object).
class TIWZQJQEffectOptionsBase : public TIWZQJQOptionSet {
  ZQ_CLASS(TIWZQJQEffectOptionsBase, TIWZQJQOptionSet)
  using TIWZQJQOptionSet::TIWZQJQOptionSet;
};

// The options of jqeNone (no members); the base of every effect's options.
class TIWZQJQEffectOptions : public TIWZQJQEffectOptionsBase {
  ZQ_CLASS(TIWZQJQEffectOptions, TIWZQJQEffectOptionsBase)
  using TIWZQJQEffectOptionsBase::TIWZQJQEffectOptionsBase;
};

#define ZQ_SCALEFROM_ROWS(X)       \
  X(Integer, Width, "width", 0, 0) \
  X(Integer, Height, "height", 0, 0)

// A size ("from" / "to" of the scale and size effects).
class TIWZQJQEffectOptionsScaleFrom : public TIWZQJQEffectOptionsBase {
  ZQ_CLASS(TIWZQJQEffectOptionsScaleFrom, TIWZQJQEffectOptionsBase)
  ZQ_OPTION_ROWS(ZQ_SCALEFROM_ROWS)
  using TIWZQJQEffectOptionsBase::TIWZQJQEffectOptionsBase;

 protected:
  void AddMembers() override;
};

// One effect options class per effect, from its rows.
#define ZQ_EFFECT_OPTIONS_CLASS(NAME, ROWS)                        \
  class TIWZQJQEffectOptions##NAME : public TIWZQJQEffectOptions { \
    ZQ_CLASS(TIWZQJQEffectOptions##NAME, TIWZQJQEffectOptions)     \
    ZQ_OPTION_ROWS(ROWS)                                           \
    using TIWZQJQEffectOptions::TIWZQJQEffectOptions;              \
                                                                   \
   protected:                                                      \
    void AddMembers() override;                                    \
  };

#define ZQ_BLIND_ROWS(X)                                           \
  X(Enumer, Direction, "direction", jqdVertical, TIWZQJQDirection) \
  X(Enumer, Mode, "mode", jqmHide, TIWZQJQMode)
#define ZQ_CLIP_ROWS(X) ZQ_BLIND_ROWS(X)
#define ZQ_DROP_EFFECT_ROWS(X)                                       \
  X(Enumer, Direction, "direction", jqodLeft, TIWZQJQOtherDirection) \
  X(Enumer, Mode, "mode", jqmHide, TIWZQJQMode)
#define ZQ_EXPLODE_ROWS(X)                      \
  X(Enumer, Mode, "mode", jqmHide, TIWZQJQMode) \
  X(Integer, Pieces, "pieces", 9, 0)
#define ZQ_FADE_ROWS(X)
#define ZQ_FOLD_ROWS(X)                          \
  X(Boolean, HorizFirst, "horizFirst", false, 0) \
  X(Enumer, Mode, "mode", jqmHide, TIWZQJQMode)  \
  X(Integer, Size, "size", 15, 0)
#define ZQ_PUFF_ROWS(X)                         \
  X(Enumer, Mode, "mode", jqmHide, TIWZQJQMode) \
  X(Integer, Percent, "percent", 150, 0)
#define ZQ_SLIDE_ROWS(X)                                             \
  X(Enumer, Direction, "direction", jqodLeft, TIWZQJQOtherDirection) \
  X(Integer, Distance, "distance", 0, 0)                             \
  X(Enumer, Mode, "mode", jqmHide, TIWZQJQMode)
#define ZQ_SCALE_ROWS(X)                                             \
  X(Enumer, Direction, "direction", jqsdBoth, TIWZQJQScaleDirection) \
  X(Obj, From, "from", false, TIWZQJQEffectOptionsScaleFrom)         \
  X(SimpleArray, Origin, "origin", true, 0)                          \
  X(Integer, Percent, "percent", 0, 0)                               \
  X(String, Scale, "scale", "both", 0)
#define ZQ_BOUNCE_ROWS(X)                                          \
  X(Enumer, Direction, "direction", jqodUp, TIWZQJQOtherDirection) \
  X(Integer, Distance, "distance", 20, 0)                          \
  X(Enumer, Mode, "mode", jqbmEffect, TIWZQJQBounceMode)           \
  X(Integer, Times, "times", 5, 0)
#define ZQ_HIGHLIGHT_ROWS(X)              \
  X(String, Color, "color", "#ffff99", 0) \
  X(Enumer, Mode, "mode", jqmShow, TIWZQJQMode)
#define ZQ_PULSATE_ROWS(X)                      \
  X(Enumer, Mode, "mode", jqmShow, TIWZQJQMode) \
  X(Integer, Times, "times", 5, 0)
#define ZQ_SHAKE_ROWS(X)                                             \
  X(Enumer, Direction, "direction", jqodLeft, TIWZQJQOtherDirection) \
  X(Integer, Distance, "distance", 20, 0)                            \
  X(Integer, Times, "times", 3, 0)
#define ZQ_SIZE_ROWS(X)                                      \
  X(Obj, From, "from", false, TIWZQJQEffectOptionsScaleFrom) \
  X(Obj, To_, "to", false, TIWZQJQEffectOptionsScaleFrom)    \
  X(SimpleArray, Origin, "origin", true, 0)                  \
  X(String, Scale, "scale", "both", 0)
#define ZQ_TRANSFER_ROWS(X)                 \
  X(String, ClassName_, "className", "", 0) \
  X(String, To_, "to", "", 0)

ZQ_EFFECT_OPTIONS_CLASS(Blind, ZQ_BLIND_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Clip, ZQ_CLIP_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Drop, ZQ_DROP_EFFECT_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Explode, ZQ_EXPLODE_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Fade, ZQ_FADE_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Fold, ZQ_FOLD_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Puff, ZQ_PUFF_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Slide, ZQ_SLIDE_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Scale, ZQ_SCALE_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Bounce, ZQ_BOUNCE_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Highlight, ZQ_HIGHLIGHT_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Pulsate, ZQ_PULSATE_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Shake, ZQ_SHAKE_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Size, ZQ_SIZE_ROWS)
ZQ_EFFECT_OPTIONS_CLASS(Transfer, ZQ_TRANSFER_ROWS)

// The options class of each effect, by ordinal.
const ClassInfo& ZQEffectOptionsClass(TIWZQJQEffect AEffect);

#define ZQ_EFFECTS_ROWS(X)                                     \
  X(EnumerOwn, Effect, "effect", jqeNone, TIWZQJQEffect)       \
  X(Obj, EffectOptions, "options", true, TIWZQJQEffectOptions) \
  X(Integer, Speed, "speed", 500, 0)                           \
  X(Func, OnCallback, "callback", "", 0)

class TIWZQJQEffects : public TIWZQJQEffectOptionsBase {
  ZQ_CLASS(TIWZQJQEffects, TIWZQJQEffectOptionsBase)
  ZQ_OPTION_ROWS(ZQ_EFFECTS_ROWS)
  using TIWZQJQEffectOptionsBase::TIWZQJQEffectOptionsBase;

  // Published; never written into the JSON.
  bool GetEnable() const { return FEnable; }
  void SetEnable(bool AValue) { FEnable = AValue; }

  // The class of the current effect's row, and a direct class change of the
  // options sub-object (frees it when the class differs).
  const ClassInfo& GetEffectOptionsClass() { return ZQEffectOptionsClass(GetEffect()); }
  void SetEffectOptionsClass(const ClassInfo& AClass);

  // The options sub-object as its class; EInvalidCast when the current
  // effect uses another class.
  TIWZQJQEffectOptionsBlind* GetEffectOptionsBlind() { return As<TIWZQJQEffectOptionsBlind>(); }
  TIWZQJQEffectOptionsBounce* GetEffectOptionsBounce() { return As<TIWZQJQEffectOptionsBounce>(); }
  TIWZQJQEffectOptionsClip* GetEffectOptionsClip() { return As<TIWZQJQEffectOptionsClip>(); }
  TIWZQJQEffectOptionsDrop* GetEffectOptionsDrop() { return As<TIWZQJQEffectOptionsDrop>(); }
  TIWZQJQEffectOptionsExplode* GetEffectOptionsExplode() {
    return As<TIWZQJQEffectOptionsExplode>();
  }
  TIWZQJQEffectOptionsFade* GetEffectOptionsFade() { return As<TIWZQJQEffectOptionsFade>(); }
  TIWZQJQEffectOptionsFold* GetEffectOptionsFold() { return As<TIWZQJQEffectOptionsFold>(); }
  TIWZQJQEffectOptionsHighlight* GetEffectOptionsHighlight() {
    return As<TIWZQJQEffectOptionsHighlight>();
  }
  TIWZQJQEffectOptionsPuff* GetEffectOptionsPuff() { return As<TIWZQJQEffectOptionsPuff>(); }
  TIWZQJQEffectOptionsPulsate* GetEffectOptionsPulsate() {
    return As<TIWZQJQEffectOptionsPulsate>();
  }
  TIWZQJQEffectOptionsScale* GetEffectOptionsScale() { return As<TIWZQJQEffectOptionsScale>(); }
  TIWZQJQEffectOptionsShake* GetEffectOptionsShake() { return As<TIWZQJQEffectOptionsShake>(); }
  TIWZQJQEffectOptionsSize* GetEffectOptionsSize() { return As<TIWZQJQEffectOptionsSize>(); }
  TIWZQJQEffectOptionsSlide* GetEffectOptionsSlide() { return As<TIWZQJQEffectOptionsSlide>(); }
  TIWZQJQEffectOptionsTransfer* GetEffectOptionsTransfer() {
    return As<TIWZQJQEffectOptionsTransfer>();
  }

  // "Enable" is never written.
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;

 protected:
  void AddMembers() override;

 private:
  template <class T>
  T* As() {
    TIWZQJQEffectOptions* o = GetEffectOptions();
    if (auto* t = dynamic_cast<T*>(o)) return t;
    ThrowInvalidCast(o, T::kClassName);
  }
  [[noreturn]] static void ThrowInvalidCast(const TObject* AObject, const char* ATarget);
  bool FEnable = false;
};

}  // namespace zq
