#include "events/browserparams.h"

#include "events/func.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/proppath.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQBrowserParam) {
  c.Prop("ServerName", &TIWZQBrowserParam::GetServerName, &TIWZQBrowserParam::SetServerName);
  c.Prop("BrowserScript", &TIWZQBrowserParam::GetBrowserScript, &TIWZQBrowserParam::SetBrowserScript);
  c.Prop("SendJSon", &TIWZQBrowserParam::GetSendJSon, &TIWZQBrowserParam::SetSendJSon);
}
ZQ_IMPLEMENT_CLASS(TIWZQBrowserParams) {}

void TIWZQBrowserParam::SetServerName(const std::string& AValue) {
  if (AValue == FServerName) return;
  std::string name = ZQTrim(AValue);
  if (name.empty()) throw EIWZQJQuery("ServerName cannot be empty!");
  if (name.find('=') != std::string::npos) throw EIWZQJQuery("ServerName cannot have the symbol \"=\"!");
  if (name == FServerName) return;
  if (GetCollection() && !SetKey(0, Variant(name))) return;
  FServerName = name;
}

void TIWZQBrowserParam::Initialize() {
  TZQIndexedCollectionItem::Initialize();
  auto* params = dynamic_cast<TIWZQBrowserParams*>(GetCollection());
  if (params && FServerName.empty()) {
    std::string name = params->NewServerName();
    if (SetKey(0, Variant(name))) FServerName = std::move(name);
  }
}

void TIWZQBrowserParam::Assign(const TPersistent* Source) {
  if (dynamic_cast<const TIWZQBrowserParam*>(Source)) {
    ZQCopyPublishedProps(Source, this);
    return;
  }
  TZQIndexedCollectionItem::Assign(Source);
}

TIWZQBrowserParams::TIWZQBrowserParams(TIWZQFunc* AFunc)
    : TZQIndexedCollection(TIWZQBrowserParam::StaticClass(), 1, AFunc), FFunc(AFunc) {}

Variant TIWZQBrowserParams::KeyOfItem(int, const TCollectionItem* Item) const {
  auto* p = static_cast<const TIWZQBrowserParam*>(Item);
  return p->FServerName.empty() ? Variant() : Variant(p->FServerName);
}

std::string TIWZQBrowserParams::NewServerName() const {
  for (int n = 0;; ++n) {
    std::string name = Format("ServerName%d", n);
    if (!GetItemByName(name)) return name;
  }
}

TIWZQBrowserParam* TIWZQBrowserParams::GetItemByName(std::string_view AName) const {
  return static_cast<TIWZQBrowserParam*>(GetOrderedItem(0, Variant(std::string(AName))));
}

TIWZQBrowserParam* TIWZQBrowserParams::AddParam(const std::string& AServerName, const std::string& ABrowserScript,
                                                bool ASendJSon) {
  TIWZQBrowserParam* p = Add();
  try {
    p->SetServerName(AServerName);
  } catch (...) {
    Delete(p->GetIndex());
    throw;
  }
  p->SetBrowserScript(ABrowserScript);
  p->SetSendJSon(ASendJSon);
  return p;
}

void TIWZQBrowserParams::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TZQIndexedCollection::Notify(Item, Action);
  if (FFunc) FFunc->CheckGenerateAjaxResponse();
}

}  // namespace zq
