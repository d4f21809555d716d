#include "framework/requestcapture.h"

#include <atomic>

#include "foundation/classevents.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zq {
namespace {

std::atomic<bool> gInstalled{false};

void Captured(void*, TObject* AInstance) {
  SetCurrentHTTPRequestInfo(static_cast<TIWHTTPRequestInfo*>(AInstance)->GetRequest());
}

// Only the object that set the variable clears it: an earlier object freed
// later leaves a newer request in place.
void Released(void*, TObject* AInstance) {
  if (CurrentHTTPRequestInfo() == static_cast<TIWHTTPRequestInfo*>(AInstance)->GetRequest())
    SetCurrentHTTPRequestInfo(nullptr);
}

}  // namespace

void TZQHTTPApp::Install() {
  if (gInstalled.exchange(true)) return;
  AddAfterConstructionEvent(TIWHTTPRequestInfo::StaticClass(), nullptr, {&Captured});
  AddBeforeDestructionEvent(TIWHTTPRequestInfo::StaticClass(), nullptr, {&Released});
}

void TZQHTTPApp::Remove() {
  if (!gInstalled.exchange(false)) return;
  DelBeforeDestructionEvent(TIWHTTPRequestInfo::StaticClass(), {&Released});
  DelAfterConstructionEvent(TIWHTTPRequestInfo::StaticClass(), {&Captured});
}

bool TZQHTTPApp::Installed() {
  return gInstalled.load();
}

}  // namespace zq
