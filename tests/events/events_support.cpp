#include "events_support.h"

namespace zq::test {

ZQ_IMPLEMENT_OPTIONS(TTestOptions) {}

ZQ_IMPLEMENT_CLASS(TTestIndicator) {}
ZQ_IMPLEMENT_OPTIONS(TFixedOptions) {}
ZQ_IMPLEMENT_CLASS(TTestButtonList) {}

ZQ_IMPLEMENT_CLASS(TTestControl) {
  c.Prop("OnClick", &TTestControl::GetOnClick, nullptr);
  c.Prop("Options", &TTestControl::GetOptions, nullptr);
  c.Prop("JQEvents", &TTestControl::GetJQEvents, nullptr);
  c.Prop("Buttons", &TTestControl::GetButtons, nullptr);
  c.Prop("Other", &TTestControl::GetOther, &TTestControl::SetOther);
}

TTestControl::TTestControl(TComponent* AOwner) : TComponent(AOwner) {
  ZQRegisterEventFunctions();
  FDispatcher.reset(Create<TIWZQDispatcher>(this));
  FOnClick.reset(Create<TIWZQFunc>(this, std::string("OnClick")));
}

void TTestControl::BeforeDestruction() {
  FOnClick.reset();
  FOptions.reset();
  FJQEvents.reset();
  FButtons.reset();
  FDispatcher.reset();
  FAjaxList.reset();
  FSubmitList.reset();
  TComponent::BeforeDestruction();
}

TTestOptions* TTestControl::GetOptions() {
  if (!FOptions) FOptions.reset(TIWZQJSon::CreateSingle<TTestOptions>(this, "Options"));
  return static_cast<TTestOptions*>(FOptions.get());
}

TIWZQJQEvents* TTestControl::GetJQEvents() {
  if (!FJQEvents) FJQEvents.reset(TIWZQJSon::CreateSingle<TIWZQJQEvents>(this, "JQEvents"));
  return static_cast<TIWZQJQEvents*>(FJQEvents.get());
}

TTestButtonList* TTestControl::GetButtons() {
  if (!FButtons) FButtons.reset(TIWZQJSonList::CreateList<TTestButtonList>(this, "Buttons"));
  return static_cast<TTestButtonList*>(FButtons.get());
}

}  // namespace zq::test
