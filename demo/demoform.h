// The demo's main form: a page made of sections, one per demonstrated part of
// the library. Each section builds its controls on the form (sections/*.h) and
// keeps its own state; the form only lays them out one below the other.
#pragma once

#include <memory>
#include <vector>

#include "host/controls.h"

namespace zqdemo {

class TDemoSection;

class TDemoForm : public zq::TIWAppForm {
  ZQ_CLASS(TDemoForm, zq::TIWAppForm)
 public:
  explicit TDemoForm(zq::TIWApplication* AApplication);
  ~TDemoForm() override;
  void AfterConstruction() override;

 private:
  std::vector<std::unique_ptr<TDemoSection>> sections_;
};

// A part of the demo page. Build places its controls at the given top
// position (pixels) and returns the height it used.
class TDemoSection {
 public:
  virtual ~TDemoSection() = default;
  virtual int Build(TDemoForm& AForm, int ATop) = 0;
};

// The sections, in page order (sections/*.cpp).
std::unique_ptr<TDemoSection> NewHostControlsSection();
std::unique_ptr<TDemoSection> NewStoreSection();
std::unique_ptr<TDemoSection> NewHistorySection();
std::unique_ptr<TDemoSection> NewInteractionsSection();

}  // namespace zqdemo
