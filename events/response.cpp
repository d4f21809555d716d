#include "events/response.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "events/jscript.h"
#include "foundation/asciicase.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "options/jsonmember.h"
#include "options/jsonobj.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQResponseItem) {}
ZQ_IMPLEMENT_CLASS(TIWZQResponseScript) {}
ZQ_IMPLEMENT_CLASS(TIWZQResponseEvent) {}
ZQ_IMPLEMENT_CLASS(TIWZQResponseSetter) {}
ZQ_IMPLEMENT_CLASS(TIWZQResponseList) {}
ZQ_IMPLEMENT_CLASS(TIWZQDispatcher) {}

namespace {

// Which lists hold entries that depend on an object. One entry per item, so
// an object recorded in two lists (ajax and submit) is found in both.
struct Registry {
  std::recursive_mutex lock;
  std::unordered_map<const void*, std::vector<TIWZQResponseList*>> refs;
};
Registry& Reg() {
  static Registry* r = new Registry;  // never freed: lists may outlive static destruction order
  return *r;
}

}  // namespace

// ---------------------------------------------------------------------------
// Items

std::string TIWZQResponseEvent::MakeKey(const std::string& APropName, const TIWZQAjaxReponseScriptEvent& AEvent) {
  // The code identity of the method: the delegate's hash mixes its kind and
  // code bytes; the object is written separately, so equal keys need equal
  // objects, and GetItemByEvent confirms equality of the whole delegate.
  return Format("%s-%p.%p", LowerAscii(APropName), static_cast<const void*>(AEvent.Object()),
                reinterpret_cast<const void*>(AEvent.Hash()));
}

std::string TIWZQResponseEvent::GetResponseKey() const {
  return FDetached ? std::string() : MakeKey(FPropName, FEvent);
}

std::string TIWZQResponseEvent::GetPiece(TIWZQResponseList* AList) {
  if (!FEvent) return {};
  return FEvent(AList, FPropName);
}

TIWZQResponseSetter::TIWZQResponseSetter(TCollection* Collection) : TIWZQResponseItem(Collection) {
  FMembers.reset(Create<TIWZQResponseMemberList>(this));
}

TIWZQResponseSetter::~TIWZQResponseSetter() = default;

std::string TIWZQResponseSetter::MakeKey(const void* AJSonObj) { return Format("%p", AJSonObj); }

TIWZQJScript* TIWZQResponseSetter::ScriptList() {
  if (!FScriptList) FScriptList.reset(Create<TIWZQJScript>());
  return FScriptList.get();
}

std::string TIWZQResponseSetter::GetPiece(TIWZQResponseList*) {
  if (!FJSonObj) return {};
  TIWZQJScript* lines = ScriptList();
  lines->Clear();
  FJSonObj->GetMemberSetterScriptParts(FMembers.get(), lines);
  return lines->GetJoined();
}

// ---------------------------------------------------------------------------
// TIWZQResponseList

TIWZQResponseList::TIWZQResponseList(TPersistent* AOwner)
    : TZQIndexedCollection(TIWZQResponseScript::StaticClass(), 1, AOwner) {}

TIWZQResponseList::~TIWZQResponseList() = default;

void TIWZQResponseList::BeforeDestruction() {
  FComposing = 0;
  TZQIndexedCollection::BeforeDestruction();
}

TZQDuplicates TIWZQResponseList::KeyDuplicates(int) const { return zdAccept; }

Variant TIWZQResponseList::KeyOfItem(int, const TCollectionItem* Item) const {
  auto* it = dynamic_cast<const TIWZQResponseItem*>(Item);
  std::string key = it ? it->GetResponseKey() : std::string();
  return key.empty() ? Variant() : Variant(key);
}

void TIWZQResponseList::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  if (Action != cnAdded)
    if (auto* it = dynamic_cast<TIWZQResponseItem*>(Item)) Untrack(it);
  TZQIndexedCollection::Notify(Item, Action);
}

void TIWZQResponseList::Track(TIWZQResponseItem* AItem) {
  const void* obj = AItem->ReferencedObject();
  if (!obj) return;
  Registry& r = Reg();
  std::lock_guard<std::recursive_mutex> g(r.lock);
  r.refs[obj].push_back(this);
  AItem->FTracked = obj;
}

void TIWZQResponseList::Untrack(TIWZQResponseItem* AItem) {
  const void* obj = AItem->FTracked;
  if (!obj) return;
  AItem->FTracked = nullptr;
  Registry& r = Reg();
  std::lock_guard<std::recursive_mutex> g(r.lock);
  auto it = r.refs.find(obj);
  if (it == r.refs.end()) return;
  auto& v = it->second;
  auto pos = std::find(v.begin(), v.end(), this);
  if (pos != v.end()) v.erase(pos);
  if (v.empty()) r.refs.erase(it);
}

void TIWZQResponseList::ObjectFreed(const void* AObject) {
  bool any = false;
  for (int i = 0; i < Count(); ++i) {
    TIWZQResponseItem* it = GetItem(i);
    if (!it->Detached() && it->ReferencedObject() == AObject) {
      Untrack(it);
      SetKey(it, 0, Variant());
      it->Detach();
      any = true;
    }
  }
  if (any && FComposing == 0) PurgeDetached();
}

void TIWZQResponseList::PurgeDetached() {
  for (int i = Count() - 1; i >= 0; --i)
    if (GetItem(i)->Detached()) Delete(i);
}

void ZQResponseObjectFreed(const void* AObject) {
  if (!AObject) return;
  Registry& r = Reg();
  std::lock_guard<std::recursive_mutex> g(r.lock);
  auto it = r.refs.find(AObject);
  if (it == r.refs.end()) return;
  std::vector<TIWZQResponseList*> lists = it->second;
  std::sort(lists.begin(), lists.end());
  lists.erase(std::unique(lists.begin(), lists.end()), lists.end());
  for (TIWZQResponseList* l : lists) l->ObjectFreed(AObject);
  r.refs.erase(AObject);
}

int ZQResponseTrackedObjectCount() {
  Registry& r = Reg();
  std::lock_guard<std::recursive_mutex> g(r.lock);
  return static_cast<int>(r.refs.size());
}

TIWZQResponseScript* TIWZQResponseList::AddResponseScript(const std::string& AScript) {
  auto* item = Create<TIWZQResponseScript>(this);
  item->FScript = AScript;
  return item;
}

TIWZQResponseEvent* TIWZQResponseList::GetItemByEvent(const std::string& APropName,
                                                      const TIWZQAjaxReponseScriptEvent& AEvent) const {
  const std::string key = TIWZQResponseEvent::MakeKey(APropName, AEvent);
  if (auto* e = dynamic_cast<TIWZQResponseEvent*>(GetOrderedItem(0, Variant(key))))
    if (e->FEvent == AEvent) return e;
  // Same key but another method (the code part of the key is a hash): look
  // through the events themselves.
  const std::string lower = LowerAscii(APropName);
  for (int i = 0; i < Count(); ++i)
    if (auto* e = dynamic_cast<TIWZQResponseEvent*>(GetItem(i)))
      if (!e->Detached() && e->FEvent == AEvent && LowerAscii(e->FPropName) == lower) return e;
  return nullptr;
}

TIWZQResponseEvent* TIWZQResponseList::AddResponseEvent(const std::string& APropName,
                                                        const TIWZQAjaxReponseScriptEvent& AEvent) {
  if (TIWZQResponseEvent* e = GetItemByEvent(APropName, AEvent)) return e;
  auto* item = Create<TIWZQResponseEvent>(this);
  item->FPropName = APropName;
  item->FEvent = AEvent;
  SetKey(item, 0, Variant(item->GetResponseKey()));
  Track(item);
  return item;
}

TIWZQResponseSetter* TIWZQResponseList::GetItemByJSonObj(const TObject* AJSonObj) const {
  if (!AJSonObj) return nullptr;
  return dynamic_cast<TIWZQResponseSetter*>(GetOrderedItem(0, Variant(TIWZQResponseSetter::MakeKey(AJSonObj))));
}

TCollectionItem* TIWZQResponseList::AddResponseMember(TObject* AJSonObj, TObject* AMember) {
  auto* obj = dynamic_cast<TIWZQJSon*>(AJSonObj);
  auto* member = dynamic_cast<TZQJSonMember*>(AMember);
  if (!obj || !member) throw EInvalidCast("Invalid class typecast");
  TIWZQResponseSetter* setter = GetItemByJSonObj(obj);
  if (!setter) {
    setter = Create<TIWZQResponseSetter>(this);
    setter->FJSonObj = obj;
    SetKey(setter, 0, Variant(setter->GetResponseKey()));
    Track(setter);
  }
  TIWZQResponseMemberList* members = setter->Members();
  if (members->HasMember(member))
    for (int i = 0; i < members->Count(); ++i)
      if (members->Member(i) == member) return members->Items(i);
  return members->AddMember(member);
}

std::string TIWZQResponseList::GetScript() {
  if (FProcessed) return {};
  std::string out;
  ++FComposing;
  try {
    // Items recorded while composing (by a response event) are composed too.
    for (int i = 0; i < Count(); ++i) {
      TIWZQResponseItem* it = GetItem(i);
      if (it->Detached()) continue;
      std::string piece = ZQTrim(it->GetPiece(this));
      if (piece.empty()) continue;
      out += ZQInsertSemiColon(piece);
    }
  } catch (...) {
    if (--FComposing == 0) PurgeDetached();
    throw;
  }
  if (--FComposing == 0) PurgeDetached();
  return out;
}

void TIWZQResponseList::Clear() {
  if (FComposing > 0) {
    // Called from a response event while composing: forget everything but
    // keep the items alive until the composition has finished.
    for (int i = 0; i < Count(); ++i) {
      Untrack(GetItem(i));
      SetKey(GetItem(i), 0, Variant());
      GetItem(i)->Detach();
      GetItem(i)->FDetached = true;
    }
    return;
  }
  if (Count() > 0) TZQIndexedCollection::Clear();
}

void TIWZQResponseList::Reset() {
  Clear();
  FProcessed = false;
}

// ---------------------------------------------------------------------------
// TIWZQDispatcher

const std::vector<std::string>& ZQWwwRootWarningLines() {
  static const std::vector<std::string> lines = {
      "<!-- wwwroot -->",
      "<script type=\"text/javascript\">",
      "$(function(){",
      "$(\"<div></div>\").css({\"z-index\":\"999999\",\"background\":\"red\",\"color\":\"white\",\"position\":"
      "\"absolute\",\"font-family\":\"verdana\",\"font-size\":\"14px\",\"font-weight\":\"bold\",\"right\":\"0\","
      "\"padding\":\"10px\"}).html(\"Outdated wwwroot! <p>Please update and clear the browser cache after "
      "(Ctrl+F5)</p>\").appendTo(\"body\")",
      "});",
      "</script>",
  };
  return lines;
}

TIWZQDispatcher::TIWZQDispatcher(TObject* AOwner) : FOwner(AOwner), FComp(dynamic_cast<IIWZQDispatchComponent*>(AOwner)) {
  if (!FComp) throw EInvalidCast("Invalid class typecast");
}

void TIWZQDispatcher::SetWwwRoot(bool AValue) { BitSet(FFlags, kWwwRootBit, AValue); }

void TIWZQDispatcher::InitResponse(TStringList* ALines) {
  if (!ALines || GetWwwRoot()) return;
  const auto& lines = ZQWwwRootWarningLines();
  if (ALines->IndexOf(lines.front()) >= 0) return;
  for (const std::string& l : lines) ALines->Add(l);
}

void TIWZQDispatcher::ProcessAjax() {
  IIWZQDispatchList* list = AjaxList(false);
  if (!list || list->GetProcessed()) return;
  std::string script = list->GetScript();
  if (!script.empty()) FComp->DispatchAjaxJavaScript(script);
  list->SetProcessed(true);
}

bool TIWZQDispatcher::GetAjaxProcessed() {
  IIWZQDispatchList* list = AjaxList(false);
  return list && !list->GetProcessed() && list->GetItemCount() > 0;
}

void TIWZQDispatcher::ClearAjax() {
  IIWZQDispatchList* list = AjaxList(false);
  if (!list) return;
  if (list->GetItemCount() > 0) list->Clear();
  list->SetProcessed(false);
}

TIWZQResponseScript* TIWZQDispatcher::AddAjaxResponseScript(const std::string& AScript) {
  return AjaxList(true)->AddResponseScript(AScript);
}
TIWZQResponseEvent* TIWZQDispatcher::AddAjaxResponseEvent(const std::string& APropName,
                                                          const TIWZQAjaxReponseScriptEvent& AEvent) {
  return AjaxList(true)->AddResponseEvent(APropName, AEvent);
}
TCollectionItem* TIWZQDispatcher::AddAjaxResponseMember(TObject* AJSonObj, TObject* AMember) {
  return AjaxList(true)->AddResponseMember(AJSonObj, AMember);
}

void TIWZQDispatcher::ProcessSubmit(TIWCompContext* AContext) {
  IIWZQDispatchList* list = SubmitList(false);
  if (!list) return;
  std::string script = list->GetScript();
  if (!script.empty()) FComp->DispatchSubmitJavaScript(AContext, script);
  if (list->GetItemCount() > 0) list->Clear();
}

bool TIWZQDispatcher::GetSubmitProcessed() {
  IIWZQDispatchList* list = SubmitList(false);
  return list && !list->GetProcessed() && list->GetItemCount() > 0;
}

TIWZQResponseScript* TIWZQDispatcher::AddSubmitResponseScript(const std::string& AScript) {
  return SubmitList(true)->AddResponseScript(AScript);
}
TIWZQResponseEvent* TIWZQDispatcher::AddSubmitResponseEvent(const std::string& APropName,
                                                            const TIWZQAjaxReponseScriptEvent& AEvent) {
  return SubmitList(true)->AddResponseEvent(APropName, AEvent);
}
TCollectionItem* TIWZQDispatcher::AddSubmitResponseMember(TObject* AJSonObj, TObject* AMember) {
  return SubmitList(true)->AddResponseMember(AJSonObj, AMember);
}

}  // namespace zq
