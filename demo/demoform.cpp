#include "demoform.h"

#include "foundation/properties.h"

namespace zqdemo {

ZQ_IMPLEMENT_CLASS(TDemoForm) {}

TDemoForm::TDemoForm(zq::TIWApplication* AApplication) : zq::TIWAppForm(AApplication) {}

TDemoForm::~TDemoForm() = default;

void TDemoForm::AfterConstruction() {
  zq::TIWAppForm::AfterConstruction();
  SetName("DemoForm");
  Title = "zqjq demo";
  sections_.push_back(NewHostControlsSection());
  sections_.push_back(NewStoreSection());
  sections_.push_back(NewHistorySection());
  sections_.push_back(NewInteractionsSection());
  int top = 16;
  for (auto& s : sections_) top += s->Build(*this, top) + 24;
}

}  // namespace zqdemo
