// Ajax response tracking: what an event handler changes while a callback is
// processed is recorded per control in a response list and turned into one
// piece of script, once, when the host renders the control's part of the ajax
// response. A second list of the same kind collects script for the page's
// next full render (a submit).
//
// Items keep the order in which they were first recorded:
//   - a script item is sent as it was given (never merged);
//   - an event item (property name, method) is kept once per property name
//     (any letter case) and method; the method is called when the script is
//     composed;
//   - a setter item is kept once per option object and holds each recorded
//     member once; the option object writes the script that applies the
//     members' current values, so three changes of one option send one
//     setter with the last value.
//
// A list never holds an object that has been freed: freeing an option object
// (or the object of a recorded method) calls ZQResponseObjectFreed, which
// drops that object's entries from every list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/delegate.h"
#include "foundation/zqclasses.h"

namespace zq {

class TComponent;
class TIWCompContext;
class TIWZQJSon;
class TIWZQJScript;
class TIWZQResponseList;
class TIWZQResponseMemberList;
class TStringList;
class TZQJSonMember;

// A method that returns response script: (sender, property name) -> script.
using TIWZQAjaxReponseScriptEvent = Delegate<std::string(TObject* Sender, const std::string& PropName)>;

class TIWZQResponseItem : public TZQIndexedCollectionItem {
  ZQ_CLASS(TIWZQResponseItem, TZQIndexedCollectionItem)
  using TZQIndexedCollectionItem::TZQIndexedCollectionItem;
  // The item's key in its list; empty for items that are never merged.
  virtual std::string GetResponseKey() const { return {}; }
  // The item's piece of script (untrimmed).
  virtual std::string GetPiece(TIWZQResponseList* AList) = 0;
  // The object whose lifetime the item depends on, if any.
  virtual const void* ReferencedObject() const { return nullptr; }
  // Forgets the referenced object (it is being freed).
  virtual void Detach() {}
  bool Detached() const { return FDetached; }

 protected:
  friend class TIWZQResponseList;
  bool FDetached = false;
  const void* FTracked = nullptr;  // the object filed in the registry for this item
};

class TIWZQResponseScript : public TIWZQResponseItem {
  ZQ_CLASS(TIWZQResponseScript, TIWZQResponseItem)
  using TIWZQResponseItem::TIWZQResponseItem;
  std::string GetPiece(TIWZQResponseList*) override { return FScript; }
  std::string FScript;
};

class TIWZQResponseEvent : public TIWZQResponseItem {
  ZQ_CLASS(TIWZQResponseEvent, TIWZQResponseItem)
  using TIWZQResponseItem::TIWZQResponseItem;
  std::string GetResponseKey() const override;
  std::string GetPiece(TIWZQResponseList* AList) override;
  const void* ReferencedObject() const override { return FEvent.Object(); }
  void Detach() override {
    FEvent = nullptr;
    FDetached = true;
  }
  // "%s-%p.%p": lower-cased property name, the method's object and code.
  static std::string MakeKey(const std::string& APropName, const TIWZQAjaxReponseScriptEvent& AEvent);
  std::string FPropName;
  TIWZQAjaxReponseScriptEvent FEvent;
};

class TIWZQResponseSetter : public TIWZQResponseItem {
  ZQ_CLASS(TIWZQResponseSetter, TIWZQResponseItem)
  explicit TIWZQResponseSetter(TCollection* Collection = nullptr);
  ~TIWZQResponseSetter() override;
  std::string GetResponseKey() const override { return MakeKey(FJSonObj); }
  std::string GetPiece(TIWZQResponseList* AList) override;
  const void* ReferencedObject() const override { return FJSonObj; }
  void Detach() override {
    FJSonObj = nullptr;
    FDetached = true;
  }
  TIWZQResponseMemberList* Members() const { return FMembers.get(); }
  TIWZQJScript* ScriptList();
  static std::string MakeKey(const void* AJSonObj);

  TIWZQJSon* FJSonObj = nullptr;  // not owned

 private:
  Owned<TIWZQResponseMemberList> FMembers;
  Owned<TIWZQJScript> FScriptList;
};

// The list contract the dispatcher works with.
class IIWZQDispatchList {
 public:
  virtual ~IIWZQDispatchList() = default;
  virtual int GetItemCount() = 0;
  virtual bool GetProcessed() = 0;
  virtual void SetProcessed(bool AValue) = 0;
  virtual std::string GetScript() = 0;
  virtual void Clear() = 0;
  virtual TIWZQResponseScript* AddResponseScript(const std::string& AScript) = 0;
  virtual TIWZQResponseEvent* AddResponseEvent(const std::string& APropName,
                                               const TIWZQAjaxReponseScriptEvent& AEvent) = 0;
  virtual TCollectionItem* AddResponseMember(TObject* AJSonObj, TObject* AMember) = 0;
};

class TIWZQResponseList : public TZQIndexedCollection, public IIWZQDispatchList {
  ZQ_CLASS(TIWZQResponseList, TZQIndexedCollection)
  explicit TIWZQResponseList(TPersistent* AOwner = nullptr);
  ~TIWZQResponseList() override;
  void BeforeDestruction() override;

  // ---- IIWZQDispatchList
  int GetItemCount() override { return Count(); }
  bool GetProcessed() override { return FProcessed; }
  void SetProcessed(bool AValue) override { FProcessed = AValue; }
  // The composed script: empty when processed; otherwise every item's piece,
  // trimmed, empty pieces skipped, each ending with ";", concatenated.
  std::string GetScript() override;
  // Removes all items; the processed mark is kept.
  void Clear() override;
  TIWZQResponseScript* AddResponseScript(const std::string& AScript) override;
  TIWZQResponseEvent* AddResponseEvent(const std::string& APropName,
                                       const TIWZQAjaxReponseScriptEvent& AEvent) override;
  // AJSonObj must be an option object and AMember an option member
  // (EInvalidCast otherwise). Returns the member's entry in the setter.
  TCollectionItem* AddResponseMember(TObject* AJSonObj, TObject* AMember) override;

  // Removes all items and clears the processed mark.
  void Reset();
  TIWZQResponseItem* GetItem(int AIndex) const override { return static_cast<TIWZQResponseItem*>(TZQIndexedCollection::GetItem(AIndex)); }
  TIWZQResponseEvent* GetItemByEvent(const std::string& APropName, const TIWZQAjaxReponseScriptEvent& AEvent) const;
  TIWZQResponseSetter* GetItemByJSonObj(const TObject* AJSonObj) const;
  // Drops every entry that depends on the object (see ZQResponseObjectFreed).
  void ObjectFreed(const void* AObject);

  bool KeyCaseSensitive(int) const override { return true; }
  TZQDuplicates KeyDuplicates(int) const override;
  Variant KeyOfItem(int IdxNo, const TCollectionItem* Item) const override;

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  void Track(TIWZQResponseItem* AItem);
  void Untrack(TIWZQResponseItem* AItem);
  void PurgeDetached();

  bool FProcessed = false;
  int FComposing = 0;
};

// Drops the entries that depend on AObject from every response list: setters
// of that option object and response events bound to that object. Option
// objects, event functions and every object whose methods may be recorded
// call it when they are freed.
void ZQResponseObjectFreed(const void* AObject);
// How many objects the lists currently depend on (for checks and tests).
int ZQResponseTrackedObjectCount();

// ---- dispatcher

class IIWZQDispatchComponent {
 public:
  virtual ~IIWZQDispatchComponent() = default;
  virtual bool GetMobile() = 0;
  virtual IIWZQDispatchList* GetAjaxResponseScriptListIntf(bool ACreate) = 0;
  virtual IIWZQDispatchList* GetSubmitResponseScriptListIntf(bool ACreate) = 0;
  virtual void DispatchAjaxJavaScript(const std::string& AScript) = 0;
  virtual void DispatchSubmitJavaScript(TIWCompContext* AContext, const std::string& AScript) = 0;
};

class IIWZQDispatcher {
 public:
  virtual ~IIWZQDispatcher() = default;
  virtual void SetWwwRoot(bool AValue) = 0;
  virtual TObject* GetInstance() = 0;
  virtual void InitResponse(TStringList* ALines) = 0;
  virtual void ProcessAjax() = 0;
  virtual bool GetAjaxProcessed() = 0;
  virtual void ClearAjax() = 0;
  virtual TIWZQResponseScript* AddAjaxResponseScript(const std::string& AScript) = 0;
  virtual TIWZQResponseEvent* AddAjaxResponseEvent(const std::string& APropName,
                                                   const TIWZQAjaxReponseScriptEvent& AEvent) = 0;
  virtual TCollectionItem* AddAjaxResponseMember(TObject* AJSonObj, TObject* AMember) = 0;
  virtual void ProcessSubmit(TIWCompContext* AContext) = 0;
  virtual bool GetSubmitProcessed() = 0;
  virtual TIWZQResponseScript* AddSubmitResponseScript(const std::string& AScript) = 0;
  virtual TIWZQResponseEvent* AddSubmitResponseEvent(const std::string& APropName,
                                                     const TIWZQAjaxReponseScriptEvent& AEvent) = 0;
  virtual TCollectionItem* AddSubmitResponseMember(TObject* AJSonObj, TObject* AMember) = 0;
};

// One per control or component; reaches the owner's lists through
// IIWZQDispatchComponent on every call and keeps none itself.
class TIWZQDispatcher : public TPersistent, public IIWZQDispatcher {
  ZQ_CLASS(TIWZQDispatcher, TPersistent)
  // AOwner must implement IIWZQDispatchComponent (EInvalidCast otherwise).
  explicit TIWZQDispatcher(TObject* AOwner = nullptr);

  void SetWwwRoot(bool AValue) override;
  bool GetWwwRoot() const { return IsBitSet(FFlags, kWwwRootBit); }
  TObject* GetInstance() override { return this; }
  // Appends the outdated-web-root warning to the page's extra header lines,
  // once per page (marker line "<!-- wwwroot -->").
  void InitResponse(TStringList* ALines) override;
  void ProcessAjax() override;
  // True while ajax output is pending (the list exists and is not processed).
  bool GetAjaxProcessed() override;
  void ClearAjax() override;
  TIWZQResponseScript* AddAjaxResponseScript(const std::string& AScript) override;
  TIWZQResponseEvent* AddAjaxResponseEvent(const std::string& APropName,
                                           const TIWZQAjaxReponseScriptEvent& AEvent) override;
  TCollectionItem* AddAjaxResponseMember(TObject* AJSonObj, TObject* AMember) override;
  void ProcessSubmit(TIWCompContext* AContext) override;
  bool GetSubmitProcessed() override;
  TIWZQResponseScript* AddSubmitResponseScript(const std::string& AScript) override;
  TIWZQResponseEvent* AddSubmitResponseEvent(const std::string& APropName,
                                             const TIWZQAjaxReponseScriptEvent& AEvent) override;
  TCollectionItem* AddSubmitResponseMember(TObject* AJSonObj, TObject* AMember) override;

  static constexpr int kWwwRootBit = 1;

 private:
  IIWZQDispatchList* AjaxList(bool ACreate) { return FComp->GetAjaxResponseScriptListIntf(ACreate); }
  IIWZQDispatchList* SubmitList(bool ACreate) { return FComp->GetSubmitResponseScriptListIntf(ACreate); }
  TObject* FOwner;
  IIWZQDispatchComponent* FComp;
  std::uint32_t FFlags = 0;
};

// The six lines of the outdated-web-root warning, marker first.
const std::vector<std::string>& ZQWwwRootWarningLines();

}  // namespace zq
