#include "framework/startup.h"

#include <mutex>

#include "events/func.h"
#include "foundation/jqcommon.h"
#include "framework/pagescripts.h"
#include "host/zqhelpers.h"
#include "options/jsonobj.h"

namespace zq {

namespace {

struct TStartupState {
  std::mutex Lock;
  int Count = 0;
  TZQStartupStep Slots[4];
  int NameResolver = 0;
};

TStartupState& State() {
  static TStartupState* s = new TStartupState;  // never freed: used up to process exit
  return *s;
}

TZQStartupStep& Slot(TStartupState& s, TZQStartupSlot ASlot) {
  return s.Slots[static_cast<int>(ASlot)];
}

void InstallSlot(TStartupState& s, TZQStartupSlot ASlot) {
  if (auto f = Slot(s, ASlot).Install) f();
}

void RemoveSlot(TStartupState& s, TZQStartupSlot ASlot) {
  if (auto f = Slot(s, ASlot).Remove) f();
}

// A script container renders under the name it gives itself.
bool ScriptContainerName(const TObject* AControl, std::string& AName) {
  auto* c = dynamic_cast<IIWZQJSContainer*>(const_cast<TObject*>(AControl));
  if (!c) return false;
  AName = c->GetHTMLName();
  return true;
}

}  // namespace

void ZQLibraryStartup() {
  TStartupState& s = State();
  std::lock_guard<std::mutex> g(s.Lock);
  if (s.Count++ > 0) return;
  InstallSlot(s, TZQStartupSlot::ActionMap);
  InstallSlot(s, TZQStartupSlot::ImageCache);
  InstallSlot(s, TZQStartupSlot::AsyncRender);
  ZQRegisterEventFunctions();
  ZQSetJSonIdentFn(&JSonIdent);
  s.NameResolver = ZQRegisterHTMLNameResolver(&ScriptContainerName);
  ZQInstallPageScripts();
  InstallSlot(s, TZQStartupSlot::UploadParser);
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
