// The two form-level bases applications derive from:
//
// TIWZQAppForm: the host's application form with OnShow / OnHide and the
// list RealTabOrders (the controls that render a tab order, in form order),
// refilled before every render.
//
// TIWZQJQFrame: the host's frame with OnCreate / OnDestroy (fired after it is
// made and before it goes; an exception from either is shown to the user as
// a message and goes no further), the frame-hosting container told when the
// frame arrives or leaves, and lookups of its form and application.
#pragma once

#include <string>
#include <vector>

#include "foundation/delegate.h"
#include "host/context.h"  // complete render contexts for the host classes
#include "host/controls.h"

namespace zq {

class TIWApplication;
class TIWZQJQFrame;
class TStringList;

class TIWZQAppForm : public TIWAppForm {
  ZQ_CLASS(TIWZQAppForm, TIWAppForm)
 public:
  using TIWAppForm::TIWAppForm;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

  // The host's show (hide), then OnShow (OnHide).
  void Show() override;
  void Hide() override;
  // ReFillRealTabOrders, then the host's render steps.
  void DoRender() override;
  // Clears the list and walks the form's controls in order: a control whose
  // TabOrder is set is listed (a script container's children are then not
  // visited); any other host container is walked into.
  void ReFillRealTabOrders();
  const std::vector<TIWBaseControl*>& GetRealTabOrders() const { return FRealTabOrders; }

 private:
  void Walk(const IIWBaseContainer& AContainer);
  std::vector<TIWBaseControl*> FRealTabOrders;
};

// A container that hosts frames and wants to know when one arrives or leaves.
class IIWZQFrameContainer {
 public:
  virtual ~IIWZQFrameContainer() = default;
  virtual void FrameAdded(TIWZQJQFrame* AFrame) = 0;
  virtual void FrameRemoved(TIWZQJQFrame* AFrame) = 0;
};

class TIWZQJQFrame : public TIWFrame {
  ZQ_CLASS(TIWZQJQFrame, TIWFrame)
 public:
  using TIWFrame::TIWFrame;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

  // The frame container above the old parent is told the frame leaves, the
  // parent changes, the one above the new parent is told it arrives.
  void SetParent(TIWBaseControl* AParent) override;
  // The first control up the parent chain that hosts frames, or none.
  IIWZQFrameContainer* GetParentContainer() const { return ContainerAbove(Parent()); }
  // The first application form up the parent (owner) chain, or none.
  TIWAppForm* GetParentForm() const;
  TIWAppForm* GetOwnerForm() const;
  // The application of the parent form, else of the owner form, else none.
  TIWApplication* GetWebApplication() const;
  // The frame's first child control as a region, or none.
  TIWCustomRegion* GetFrameRegion() const;
  // The host's message box; nothing without an application, and a failure of
  // the host goes no further.
  void ShowMessage(const std::string& AMessage);
  // Does nothing (frames that take commands override it).
  virtual void ProcessCommand(int ACommand, TStringList* AParams);

 protected:
  // Fire OnCreate / OnDestroy; an exception is shown as a message. OnCreate
  // fires at the end of Create: a frame class sets it in its constructor
  // (or overrides DoCreate).
  virtual void DoCreate();
  virtual void DoDestroy();

 private:
  static IIWZQFrameContainer* ContainerAbove(TIWBaseControl* AControl);
  void Fire(const TNotifyEvent& AEvent);
};

}  // namespace zq
