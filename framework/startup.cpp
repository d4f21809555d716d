#include "framework/startup.h"

#include <mutex>

#include "events/func.h"
#include "foundation/jqcommon.h"
#include "framework/pagescripts.h"
#include "framework/requestcapture.h"
#include "host/zqhelpers.h"
#include "options/jsonobj.h"

namespace zq {

namespace {

constexpr int kSlotCount = 4;

struct TStartupState {
  std::mutex Lock;
  int Count = 0;
  TZQStartupStep Slots[kSlotCount];
  bool Installed[kSlotCount] = {};  // the slot's step ran and is to be removed
  int NameResolver = 0;
};

TStartupState& State() {
  static TStartupState* s = new TStartupState;  // never freed: used up to process exit
  return *s;
}

TZQStartupStep& Slot(TStartupState& s, TZQStartupSlot ASlot) {
  return s.Slots[static_cast<int>(ASlot)];
}

// A controller step waits for a start-up that has a controller.
void InstallSlot(TStartupState& s, TZQStartupSlot ASlot, TIWServerController* AController) {
  bool& installed = s.Installed[static_cast<int>(ASlot)];
  const TZQStartupStep& step = Slot(s, ASlot);
  if (step.InstallFor) {
    if (!AController) return;
    step.InstallFor(*AController);
  } else if (step.Install) {
    step.Install();
  }
  installed = true;
}

void RemoveSlot(TStartupState& s, TZQStartupSlot ASlot) {
  bool& installed = s.Installed[static_cast<int>(ASlot)];
  if (!installed) return;
  installed = false;
  if (auto f = Slot(s, ASlot).Remove) f();
}

// Starts the web-root check, so that the first control finds an answer (or
// one on its way) instead of starting it.
void AskWwwRoot(TIWServerController* AController) {
  if (AController) (void)ZQCheckWwwRoot();
}

// A script container renders under the name it gives itself.
bool ScriptContainerName(const TObject* AControl, std::string& AName) {
  auto* c = dynamic_cast<IIWZQJSContainer*>(const_cast<TObject*>(AControl));
  if (!c) return false;
  AName = c->GetHTMLName();
  return true;
}

void Startup(TIWServerController* AController) {
  TStartupState& s = State();
  std::lock_guard<std::mutex> g(s.Lock);
  if (s.Count++ > 0) return;
  InstallSlot(s, TZQStartupSlot::ActionMap, AController);
  InstallSlot(s, TZQStartupSlot::ImageCache, AController);
  TZQHTTPApp::Install();
  InstallSlot(s, TZQStartupSlot::AsyncRender, AController);
  AskWwwRoot(AController);
  ZQRegisterEventFunctions();
  ZQSetJSonIdentFn(&JSonIdent);
  s.NameResolver = ZQRegisterHTMLNameResolver(&ScriptContainerName);
  ZQInstallPageScripts();
  InstallSlot(s, TZQStartupSlot::UploadParser, AController);
}

}  // namespace

void ZQLibraryStartup() {
  Startup(nullptr);
}

void ZQLibraryStartup(TIWServerController& AController) {
  Startup(&AController);
}

void ZQLibraryShutdown() {
  TStartupState& s = State();
  std::lock_guard<std::mutex> g(s.Lock);
  if (s.Count == 0 || --s.Count > 0) return;
  RemoveSlot(s, TZQStartupSlot::UploadParser);
  ZQRemovePageScripts();
  ZQUnregisterHTMLNameResolver(s.NameResolver);
  s.NameResolver = 0;
  ZQSetJSonIdentFn(nullptr);
  ZQUnregisterEventFunctions();
  RemoveSlot(s, TZQStartupSlot::AsyncRender);
  TZQHTTPApp::Remove();
  RemoveSlot(s, TZQStartupSlot::ImageCache);
  RemoveSlot(s, TZQStartupSlot::ActionMap);
}

bool ZQLibraryStarted() {
  TStartupState& s = State();
  std::lock_guard<std::mutex> g(s.Lock);
  return s.Count > 0;
}

void ZQSetStartupSlot(TZQStartupSlot ASlot, TZQStartupStep AStep) {
  TStartupState& s = State();
  std::lock_guard<std::mutex> g(s.Lock);
  if (s.Count > 0) throw EIWZQJQuery("The library has already started!");
  Slot(s, ASlot) = AStep;
}

}  // namespace zq
