#include "options/options_support.h"

namespace zq::test {

ZQ_IMPLEMENT_CLASS(TTestContainer) {}
ZQ_IMPLEMENT_CLASS(TTestFunc) { c.Factory<TPersistent, TIWZQJSon*, std::string, TZQJSonFuncMember*>(); }
ZQ_IMPLEMENT_OPTIONS(TIWZQJQContextMenuAnimation) {}
ZQ_IMPLEMENT_OPTIONS(TTestMenuOptions) { c.Prop("ActiveThemeIndex", &TTestMenuOptions::ActiveThemeIndex); }
ZQ_IMPLEMENT_OPTIONS(TNumbersOptions) {}

void RegisterTestFunctions() {
  ZQRegisterEventFunctionClasses(&TTestFunc::StaticClass(), &TTestFunc::StaticClass());
}

}  // namespace zq::test
