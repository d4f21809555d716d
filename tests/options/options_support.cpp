#include "options/options_support.h"

namespace zq::test {

ZQ_IMPLEMENT_CLASS(TTestContainer) {}
ZQ_IMPLEMENT_CLASS(TTestFunc) { c.Factory<TPersistent, TIWZQJSon*, std::string, TZQJSonFuncMember*>(); }
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuAnimation) {
  ZQ_JSON_PROP(c, "Duration", 0, Integer);
  ZQ_JSON_PROP(c, "Show", 1, String);
  ZQ_JSON_PROP(c, "Hide", 2, String);
}
ZQ_IMPLEMENT_CLASS(TTestMenuOptions) {
  ZQ_JSON_PROP(c, "Selector", 0, String);
  c.Prop("Trigger", 1, &TIWZQJSon::GetEnumerAs<TMenuPosition>, &TIWZQJSon::SetEnumerAs<TMenuPosition>)
      .Stored(&TIWZQJSon::IsEnumerStored);
  ZQ_JSON_PROP(c, "Delay", 2, Integer);
  ZQ_JSON_PROP(c, "AutoHide", 3, Boolean);
  ZQ_JSON_PROP(c, "ZIndex", 4, Double);
  ZQ_JSON_PROP(c, "BackgroundColor", 5, Color);
  ZQ_JSON_PROP(c, "Items", 6, JSon);
  ZQ_JSON_OBJPROP(c, "Animation", 7, Obj);
  ZQ_JSON_PROP(c, "BuildOnDemand", 8, Boolean);
  c.Prop("Edges", 9, &TIWZQJSon::GetEnumSetAs<TMenuEdges>, &TIWZQJSon::SetEnumSetAs<TMenuEdges>)
      .Stored(&TIWZQJSon::IsEnumSetStored);
  ZQ_JSON_PROP(c, "Price", 10, Currency);
  ZQ_JSON_PROP(c, "Data", 11, Variant);
  ZQ_JSON_OBJPROP(c, "Points", 12, SimpleArray);
  ZQ_JSON_FUNCPROP(c, "OnShow", 13);
  ZQ_JSON_OBJPROP(c, "Headers", 14, DynObjList);
  ZQ_JSON_OBJPROP(c, "Steps", 15, ObjList);
  c.Prop("ActiveThemeIndex", &TTestMenuOptions::ActiveThemeIndex);
}
ZQ_IMPLEMENT_CLASS(TNumbersOptions) {
  ZQ_JSON_PROP(c, "Min", 0, Integer);
  ZQ_JSON_PROP(c, "Max", 1, Integer);
  ZQ_JSON_OBJPROP(c, "Inner", 2, Obj);
}

void RegisterTestFunctions() {
  ZQRegisterEventFunctionClasses(&TTestFunc::StaticClass(), &TTestFunc::StaticClass());
}

}  // namespace zq::test
