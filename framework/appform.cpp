#include "framework/appform.h"

#include <exception>

#include "foundation/exception.h"
#include "foundation/properties.h"
#include "framework/scriptcontainer.h"
#include "host/application.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQAppForm) {
  c.Prop("OnShow", &TIWZQAppForm::OnShow);
  c.Prop("OnHide", &TIWZQAppForm::OnHide);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQFrame) {
  c.Prop("OnCreate", &TIWZQJQFrame::OnCreate);
  c.Prop("OnDestroy", &TIWZQJQFrame::OnDestroy);
}

// ---------------------------------------------------------------- form

void TIWZQAppForm::Show() {
  TIWAppForm::Show();
  if (OnShow) OnShow(this);
}

void TIWZQAppForm::Hide() {
  TIWAppForm::Hide();
  if (OnHide) OnHide(this);
}

void TIWZQAppForm::DoRender() {
  ReFillRealTabOrders();
  TIWAppForm::DoRender();
}

void TIWZQAppForm::ReFillRealTabOrders() {
  FRealTabOrders.clear();
  Walk(*this);
}

void TIWZQAppForm::Walk(const IIWBaseContainer& AContainer) {
  for (TIWBaseControl* c : AContainer.ControlList()) {
    const bool tabs = c->TabOrder >= 0;
    if (dynamic_cast<TIWZQJSContainer*>(c)) {
      if (tabs) {
        FRealTabOrders.push_back(c);
        continue;
      }
    } else if (!dynamic_cast<IIWBaseContainer*>(c)) {
      if (tabs) FRealTabOrders.push_back(c);
      continue;
    }
    if (auto* sub = dynamic_cast<IIWBaseContainer*>(c)) Walk(*sub);
  }
}

// ---------------------------------------------------------------- frame

void TIWZQJQFrame::AfterConstruction() {
  TIWFrame::AfterConstruction();
  DoCreate();
}

void TIWZQJQFrame::BeforeDestruction() {
  DoDestroy();
  TIWFrame::BeforeDestruction();
}

void TIWZQJQFrame::Fire(const TNotifyEvent& AEvent) {
  if (!AEvent) return;
  try {
    AEvent(this);
  } catch (const std::exception& e) {
    ShowMessage(e.what());
  }
}

void TIWZQJQFrame::DoCreate() {
  Fire(OnCreate);
}

void TIWZQJQFrame::DoDestroy() {
  Fire(OnDestroy);
}

IIWZQFrameContainer* TIWZQJQFrame::ContainerAbove(TIWBaseControl* AControl) {
  for (TIWBaseControl* c = AControl; c; c = c->Parent())
    if (auto* f = dynamic_cast<IIWZQFrameContainer*>(c)) return f;
  return nullptr;
}

void TIWZQJQFrame::SetParent(TIWBaseControl* AParent) {
  if (AParent == Parent()) return;
  if (IIWZQFrameContainer* old = GetParentContainer()) old->FrameRemoved(this);
  TIWFrame::SetParent(AParent);
  if (IIWZQFrameContainer* now = GetParentContainer()) now->FrameAdded(this);
}

TIWAppForm* TIWZQJQFrame::GetParentForm() const {
  for (TIWBaseControl* c = Parent(); c; c = c->Parent())
    if (auto* f = dynamic_cast<TIWAppForm*>(c)) return f;
  return nullptr;
}

TIWAppForm* TIWZQJQFrame::GetOwnerForm() const {
  for (TComponent* c = Owner(); c; c = c->Owner())
    if (auto* f = dynamic_cast<TIWAppForm*>(c)) return f;
  return nullptr;
}

TIWApplication* TIWZQJQFrame::GetWebApplication() const {
  if (TIWAppForm* f = GetParentForm(); f && f->Application()) return f->Application();
  if (TIWAppForm* f = GetOwnerForm()) return f->Application();
  return nullptr;
}

TIWCustomRegion* TIWZQJQFrame::GetFrameRegion() const {
  return ControlCount() > 0 ? dynamic_cast<TIWCustomRegion*>(Controls(0)) : nullptr;
}

void TIWZQJQFrame::ShowMessage(const std::string& AMessage) {
  TIWApplication* app = GetWebApplication();
  if (!app) return;
  try {
    app->ShowMessage(AMessage);
  } catch (const Exception&) {
    // The message box is a courtesy: the host's failure goes no further.
  }
}

void TIWZQJQFrame::ProcessCommand(int, TStringList*) {}

}  // namespace zq
