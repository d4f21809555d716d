// Option objects: the server-side mirror of a client widget's options object.
//
// An option class declares its options once, as members (jsonmember.h), in
// AddMembers, and publishes one property per member with the member's position
// as index number, through the accessor family of the member's kind:
//
//   class TAnimation : public TIWZQJSon {
//     ZQ_CLASS(TAnimation, TIWZQJSon)
//     using TIWZQJSon::TIWZQJSon;
//    protected:
//     void AddMembers() override {
//       TIWZQJSon::AddMembers();
//       AddIntegerMember("duration", 500, false, true);   // index 0
//     }
//   };
//   ZQ_IMPLEMENT_CLASS(TAnimation) { ZQ_JSON_PROP(c, "Duration", 0, Integer); }
//
// The object keeps in its document only the values that differ from their
// defaults, and writes its option literal with GetJSon (a JSON node; the text
// with ZQOptionJSonText). While a callback is processed, every assignment is
// reported to the object's container (IIWZQJSContainer), which records it for
// the ajax response.
//
// Class references are `const ClassInfo*`. Option objects are created with
// CreateJSonObj (held by a property) or by an option list (as items); option
// lists with CreateJSonList; event functions through the factory
// TPersistent*(TIWZQJSon* owner, std::string propName, TZQJSonFuncMember* member)
// that the function class registers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/superobject.h"
#include "foundation/zqclasses.h"
#include "options/jsonmember.h"

namespace zq {

class TComponent;
class TIWApplication;
class TIWHTMLTag;
class TIWZQJSon;
class TIWZQJSonList;
class TStringList;
struct PropInfo;

// Everything that writes option JSON.
class IIWZQJSon {
 public:
  virtual ~IIWZQJSon() = default;
  virtual bool GetIsStored() = 0;
  // No node when there is nothing to write.
  virtual ISuperObject GetJSon() = 0;
  virtual ISuperObject GetJSonEx(bool AllProps, bool ForceVal, class TIWZQResponseMemberList* Members,
                                 bool OnlyCount) = 0;
  virtual void ResetProps() = 0;
};

class IIWZQJSContainer;

// How an event function reaches its owner.
class IIWZQFuncAdapter {
 public:
  virtual ~IIWZQFuncAdapter() = default;
  virtual IIWZQJSContainer* GetZQJSContainer() = 0;
  virtual TComponent* GetImplComponent() = 0;
  virtual std::string GetPropName() = 0;
  virtual std::string GetHTMLName() = 0;
  virtual std::string GetIWCLName() = 0;
  virtual int GetItemIndex() = 0;
  virtual std::string GetFixedScript(TObject* AFunc, bool& AFlag) = 0;
};

// The script-container contract, implemented by the library's components and
// visual controls: option objects and event functions find their control
// through it (the first owner, walking upwards, that implements it).
class IIWZQJSContainer {
 public:
  virtual ~IIWZQJSContainer() = default;
  virtual TComponent* GetImplComponent() = 0;
  virtual std::string GetHTMLName() = 0;
  virtual std::string GetIWCLName() = 0;
  virtual std::string GetJQHTMLName() { return GetHTMLName(); }
  virtual std::string GetRenderScript() { return {}; }
  virtual TIWApplication* GetIWApplication() { return nullptr; }
  virtual std::string GetIDJQuery() = 0;
  virtual std::string GetIDJQueryElem() { return GetIDJQuery() + "[0]"; }
  // Whether a change of the member must be recorded now (in a callback, not
  // loading or designing, response not disabled).
  virtual bool GetGenerateAjaxResponse(TZQJSonMember* AMember) = 0;
  virtual std::string GetMemberBaseScript(TIWZQJSon* AJSon) {
    (void)AJSon;
    return GetIDJQuery();
  }
  virtual bool GetIsLoading() { return false; }
  virtual void AddJavaScriptToAjaxResponse(const std::string& AScript, bool ACheck, bool ARaise) = 0;
  virtual void AddMemberToAjaxResponse(TIWZQJSon* AHandler, TZQJSonMember* AMember) = 0;
  virtual void AddJavaScriptToSubmitResponse(const std::string& AScript, bool ACheck, bool ARaise) {
    (void)AScript, (void)ACheck, (void)ARaise;
  }
  virtual void AddJavaScriptToResponse(const std::string& AScript, bool ACheck, bool ARaise) {
    AddJavaScriptToAjaxResponse(AScript, ACheck, ARaise);
  }
  virtual bool GetMobile() { return false; }
  virtual bool GetHTML5() { return false; }
  // Called after every value change (refreshes the designer's picture).
  virtual void DesignTimeRefresh() {}
  virtual std::string GetDocumentationLink() { return {}; }
  virtual bool GetNeedsJSONJs() { return false; }
  virtual void SetNeedsJSONJs(bool) {}
  virtual bool GetNeedsCookieJs() { return false; }
  virtual void SetNeedsCookieJs(bool) {}
  virtual int GetDisableAjaxResponseCount() = 0;
  virtual void DisableAjaxResponse() = 0;
  virtual void EnableAjaxResponse() = 0;
  virtual void AjaxPictureChanged(TObject* Sender) { (void)Sender; }
  virtual bool GetControlEditable() { return false; }
  virtual void SetControlEditable(bool) {}
  virtual std::string GetControlText() { return {}; }
  virtual void SetControlText(const std::string&) {}
  virtual std::string GetControlCaption() { return {}; }
};

// One recorded member of a response setter.
class TIWZQResponseMember : public TZQIndexedCollectionItem {
  ZQ_CLASS(TIWZQResponseMember, TZQIndexedCollectionItem)
  using TZQIndexedCollectionItem::TZQIndexedCollectionItem;
  TZQJSonMember* FMember = nullptr;
};

// The members recorded for one option object, each at most once (key: the
// member's identity). The writers count and remove the members they handle
// (Processed).
class TIWZQResponseMemberList : public TZQIndexedCollection {
  ZQ_CLASS(TIWZQResponseMemberList, TZQIndexedCollection)
  explicit TIWZQResponseMemberList(TObject* ASetter = nullptr);

  TObject* FSetter = nullptr;
  int Processed = 0;

  // Raises the duplicate-key error when the member is already held.
  TIWZQResponseMember* AddMember(TZQJSonMember* AMember);
  bool HasMember(const TZQJSonMember* AMember) const;
  void RemoveMember(const TZQJSonMember* AMember);
  TZQJSonMember* Member(int AIndex) const { return ItemAs<TIWZQResponseMember>(AIndex)->FMember; }

  bool KeyCaseSensitive(int) const override { return true; }
  TZQDuplicates KeyDuplicates(int) const override { return zdError; }
  Variant KeyOfItem(int IdxNo, const TCollectionItem* Item) const override;
};

struct TIWZQMemberResponseRec {
  std::string Name;
  ISuperObject JSon;
};
using TIWZQMemberResponseTab = std::vector<TIWZQMemberResponseRec>;

// One property of an option class as the writer visits it (built once with
// the class data, in property-table order).
struct TZQJSonWriteStep {
  const PropInfo* Prop = nullptr;
  TZQJSonMember* Member = nullptr;  // null: a property without member
  // The stored rule is the member's own (value differs from the default), so
  // the writer decides it from the one document lookup that gives the value.
  bool MemberRule = false;
  // An object property whose declared class is an option class or list.
  bool MayHoldMembers = false;
  // The name the value is written under (the member's, else the property's
  // in lower case), its hash, and whether it is an ASCII identifier, which
  // is written bare and unescaped when names are not quoted.
  std::string Name;
  std::uint32_t Hash = 0;
  bool AsciiBare = false;
};

// The per-class cache entry: members and property table, built once.
class TZQJSonClassData : public TObject {
  ZQ_CLASS(TZQJSonClassData, TObject)
  explicit TZQJSonClassData(const ClassInfo* AJSonClass = nullptr);
  ~TZQJSonClassData() override;

  const ClassInfo* JSonClass() const { return FJSonClass; }
  TZQJSonMemberList& Members() const { return *FMemberList; }
  TZQJSonMember* MembersByName(std::string_view AName) const { return FMemberList->GetItemByName(AName); }
  const PropInfo* PropInfoAt(int AIndex) const { return FPropList[static_cast<std::size_t>(AIndex)]; }
  const std::vector<const PropInfo*>& PropList() const { return FPropList; }
  int MemberCount() const { return FMemberList->Count(); }
  int PropCount() const { return static_cast<int>(FPropList.size()); }
  int UsedCount() const { return FUsedCount; }
  // The published property whose index number is the member's position.
  const PropInfo* PropOfMember(int AIndex) const;
  // The member of a property, or null (no index, or not below the count).
  TZQJSonMember* MemberOfProp(const PropInfo* P) const;
  // The member of the property at a position of PropList, or null.
  TZQJSonMember* MemberOfPropAt(std::size_t APos) const { return FMemberOfProp[APos]; }
  const std::vector<TZQJSonWriteStep>& WriteSteps() const { return FSteps; }
  // Positions in WriteSteps in the order an stObject writes their names.
  const std::vector<std::size_t>& WriteOrder() const { return FWriteOrder; }
  // Whether two steps write under one name (the later value replaces the
  // earlier one in the literal).
  bool SharedNames() const { return FSharedNames; }

 private:
  friend class TIWZQJSon;
  void IndexProps();
  const ClassInfo* FJSonClass;
  std::unique_ptr<TZQJSonMemberList> FMemberList;
  std::vector<const PropInfo*> FPropList;
  std::vector<const PropInfo*> FPropOfMember;
  std::vector<TZQJSonMember*> FMembers;           // by position
  std::vector<TZQJSonMember*> FMemberOfProp;      // parallel to FPropList
  std::vector<TZQJSonWriteStep> FSteps;           // parallel to FPropList
  std::vector<std::size_t> FWriteOrder;
  bool FSharedNames = false;
  int FUsedCount = 0;
};

// The option classes declared with rows (ZQ_IMPLEMENT_OPTIONS registers each
// while the program starts), in registration order.
struct TZQOptionClassEntry {
  const ClassInfo& (*Class)();
  int RowsEnd;  // the class's member count
};
bool ZQRegisterOptionClass(const ClassInfo& (*AClass)(), int ARowsEnd);
std::vector<TZQOptionClassEntry> ZQRegisteredOptionClasses();
// Builds the class data of every registered option class, so that a row out
// of step or a property whose kind does not accept its member's kind raises
// now rather than at first use. Returns the number of classes checked.
int ZQCheckOptionClasses();

// Number of option classes in the process-wide cache.
int ZQJSonClassCacheCount();
// The cache entry of a class, or null when no instance has resolved it yet.
const TZQJSonClassData* ZQFindJSonClassData(const ClassInfo* AClass);

// The event function classes live above the option model; the layer that
// defines them registers them here: AFuncBase (every event function class
// derives from it) and ADefault (created for a function member without a
// class of its own). Function classes register the factory
// TPersistent*(TIWZQJSon*, std::string, TZQJSonFuncMember*).
void ZQRegisterEventFunctionClasses(const ClassInfo* AFuncBase, const ClassInfo* ADefault);
const ClassInfo* ZQEventFunctionBaseClass();
const ClassInfo* ZQDefaultEventFunctionClass();

// Whether option JSON is written indented (script debugging); the framework
// installs the host's switch here. Default: never.
using TZQJSonIdentFn = bool (*)();
void ZQSetJSonIdentFn(TZQJSonIdentFn AFn);
bool ZQJSonIdent();

// The per-value callback of the writer.
using TEachPropJSonProc = void (*)(const std::string& AName, const ISuperObject& AJSon, void* AData);

struct TEachPropJsonRec {
  ISuperObject Json;
  TEachPropJSonProc Proc = nullptr;
  void* Data = nullptr;
  bool Props = true;
  bool Events = true;
  bool AllProps = false;
  bool ForceVal = false;
  TIWZQResponseMemberList* Members = nullptr;
  bool OnlyCount = false;
};

// The slot of one object-kind member in an instance: the sub-object, created
// on first read. A dynamic slot may carry a class of its own.
class TIWZQJSonInstObjItem {
 public:
  explicit TIWZQJSonInstObjItem(TZQJSonMember* AMember) : FMember(AMember) {}
  virtual ~TIWZQJSonInstObjItem();
  TZQJSonMember* Member() const { return FMember; }
  TPersistent* Obj() const { return FObj; }
  void FreeObj();
  // Stores the class on a dynamic slot; nothing on a plain one.
  virtual void SetObjClass(const ClassInfo* AClass) { (void)AClass; }
  virtual const ClassInfo* ObjClass() const { return nullptr; }

 private:
  friend class TIWZQJSon;
  TZQJSonMember* FMember;
  TPersistent* FObj = nullptr;  // owned
  IIWZQJSon* FJSon = nullptr;   // FObj as IIWZQJSon, when it is one
};

class TIWZQJSonInstObjDynItem : public TIWZQJSonInstObjItem {
 public:
  using TIWZQJSonInstObjItem::TIWZQJSonInstObjItem;
  void SetObjClass(const ClassInfo* AClass) override { FObjClass = AClass; }
  const ClassInfo* ObjClass() const override { return FObjClass; }

 private:
  const ClassInfo* FObjClass = nullptr;
};

class TIWZQJSon : public TZQIndexedCollectionItem, public IIWZQJSon, public IIWZQFuncAdapter {
  ZQ_CLASS(TIWZQJSon, TZQIndexedCollectionItem)
  // As an item of an option list (or free-standing with no collection).
  explicit TIWZQJSon(TCollection* Collection = nullptr);
  ~TIWZQJSon() override;
  void Initialize() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // Rows of optionrows.h continue the numbering from here.
  static constexpr int kZQRowsEnd = 0;

  // Creates an option object of class AClass held by AOwner's property APropName.
  static TIWZQJSon* CreateSingle(const ClassInfo& AClass, TPersistent* AOwner, std::string_view APropName);
  template <class T>
  static T* CreateSingle(TPersistent* AOwner, std::string_view APropName) {
    return static_cast<T*>(CreateSingle(T::StaticClass(), AOwner, APropName));
  }

  // ---- overridable behaviour
  virtual bool JSonIdent() { return ZQJSonIdent(); }
  virtual bool JSonEscape() { return true; }
  virtual bool JSonNameQuote() { return false; }
  virtual bool IsArray() { return false; }
  virtual void GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers, TStringList* AScript) {
    (void)AMembers, (void)AScript;
  }
  virtual bool SupportsSetter(TIWZQJSon* AObject, TZQJSonMember* AMember) {
    (void)AObject, (void)AMember;
    return false;
  }
  virtual TIWZQJSon* GetMemberSetterHandler(TIWZQJSon* AObject, TZQJSonMember* AMember);
  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override {
    (void)AFunc, (void)AFlag;
    return {};
  }
  virtual bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) {
    (void)APropName, (void)AJSon;
    return false;
  }
  virtual std::string ConvertEnumToString(const std::string& APropName) {
    (void)APropName;
    return {};
  }
  virtual bool ConvertSetToString(const std::string& APropName, std::vector<std::string>& ATexts) {
    (void)APropName;
    ATexts.clear();
    return false;
  }
  virtual void AddHTML5(TIWHTMLTag* ATag);
  void Assign(const TPersistent* Source) override;

  // ---- IIWZQJSon
  bool GetIsStored() override { return true; }
  ISuperObject GetJSon() override;
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members, bool OnlyCount) override;
  void ResetProps() override;

  // ---- IIWZQFuncAdapter and names
  IIWZQJSContainer* GetZQJSContainer() override;
  TComponent* GetImplComponent() override;
  std::string GetPropName() override { return FPropName; }
  std::string GetHTMLName() override;
  std::string GetIWCLName() override;
  int GetItemIndex() override;

  // ---- writing
  ISuperObject GetJSonByType(bool AProps, bool AEvents);
  ISuperObject GetJSonEvents(const std::string& APageID = {});
  // The literal as script text (JSonIdent, JSonEscape, JSonNameQuote).
  std::string GetJSonText();
  // Whether the literal's text can be written straight from the rows: the
  // class keeps the writer's hooks (GetJSon, GetJSonEx, GetCustomJq, IsArray)
  // as they are, so the text equals that of the node GetJSon builds.
  bool CanWriteDirect();
  // Appends that text without indentation; gives the number of members.
  int WriteDirect(std::string& AOut, bool AEscape, bool ANameQuote);
  // The value of one member (searched in nested option objects and lists too).
  ISuperObject GetMemberJSon(TZQJSonMember* AMember, const ISuperObject& AValue, std::string& AName);
  TIWZQMemberResponseTab GetMembersJSon(TIWZQResponseMemberList* Members, bool AllProps, bool ForceVal);
  ISuperObject GetMemberPropJSon(TZQJSonMember* M, const ISuperObject& AValue, std::string& AName, bool AllProps,
                                 bool ForceVal, TIWZQResponseMemberList* Members, bool OnlyCount);
  ISuperObject InternalGetJSon(TEachPropJsonRec& Rec);

  // ---- members, lookups, slots
  TZQJSonClassData* GetClassData();
  TZQJSonMember* CheckJSonMember(int AIndex);
  int GetPropIndexByName(std::string_view AName);
  std::string GetPropNameByIndex(int AIndex);
  void FreeJSonObj(int AIndex);
  void FreeJSonObj(std::string_view AName);
  bool IsJSonObjStored(std::string_view AName);
  // The slot of an object-kind member (null for other kinds).
  TIWZQJSonInstObjItem* GetInstSlot(int AIndex);
  TIWZQJSonList* GetList() const;
  TPersistent* GetOwner() const override;
  TPersistent* Owner() const { return GetOwner(); }
  const std::string& PropName() const { return FPropName; }
  const ISuperObject& Document() const { return FSObj; }
  // Records a change of the member for the ajax response; false when no
  // handler takes it.
  bool AddMemberToAjaxResponse(TZQJSonMember* AMember);

  // ---- accessor families (index number first)
  std::string GetStringValue(int AIndex);
  void SetStringValue(int AIndex, const std::string& AValue);
  bool IsStringStored(int AIndex);
  std::string GetColorValue(int AIndex);
  void SetColorValue(int AIndex, const std::string& AValue);
  bool IsColorStored(int AIndex);
  std::string GetJSonValue(int AIndex);
  void SetJSonValue(int AIndex, const std::string& AValue);
  bool IsJSonStored(int AIndex);
  bool GetBooleanValue(int AIndex);
  void SetBooleanValue(int AIndex, bool AValue);
  bool IsBooleanStored(int AIndex);
  std::int32_t GetIntegerValue(int AIndex);
  void SetIntegerValue(int AIndex, std::int32_t AValue);
  bool IsIntegerStored(int AIndex);
  int GetEnumerValue(int AIndex);
  void SetEnumerValue(int AIndex, int AValue);
  bool IsEnumerStored(int AIndex);
  double GetDoubleValue(int AIndex);
  void SetDoubleValue(int AIndex, double AValue);
  bool IsDoubleStored(int AIndex);
  Currency GetCurrencyValue(int AIndex);
  void SetCurrencyValue(int AIndex, Currency AValue);
  bool IsCurrencyStored(int AIndex);
  Variant GetVariantValue(int AIndex);
  void SetVariantValue(int AIndex, const Variant& AValue);
  bool IsVariantStored(int AIndex);
  TZQByteArray GetEnumSetValue(int AIndex);
  void SetEnumSetValue(int AIndex, const TZQByteArray& AValue);
  bool IsEnumSetStored(int AIndex);
  TIWZQJSon* GetObjValue(int AIndex);
  void SetObjValue(int AIndex, TIWZQJSon* AValue);
  TIWZQJSonList* GetObjListValue(int AIndex);
  void SetObjListValue(int AIndex, TIWZQJSonList* AValue);
  class TIWZQJSonSimpleArray* GetSimpleArrayValue(int AIndex);
  void SetSimpleArrayValue(int AIndex, TIWZQJSonSimpleArray* AValue);
  class TIWZQJSonDynObjList* GetDynObjListValue(int AIndex);
  void SetDynObjListValue(int AIndex, TIWZQJSonDynObjList* AValue);
  TPersistent* GetFuncValue(int AIndex);
  void SetFuncValue(int AIndex, TPersistent* AValue);
  bool IsObjStored(int AIndex);
  bool IsFuncStored(int AIndex);

  // Typed pass-throughs for enumeration and set properties of a class's own types.
  template <class E>
  E GetEnumerAs(int AIndex) {
    return static_cast<E>(GetEnumerValue(AIndex));
  }
  template <class E>
  void SetEnumerAs(int AIndex, E AValue) {
    SetEnumerValue(AIndex, static_cast<int>(AValue));
  }
  template <class S>
  S GetEnumSetAs(int AIndex) {
    TZQByteArray b = GetEnumSetValue(AIndex);
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < b.size() && i < 8; ++i) mask |= std::uint64_t(b[i]) << (8 * i);
    return S::FromMask(mask);
  }
  template <class S>
  void SetEnumSetAs(int AIndex, S AValue) {
    TZQByteArray b(8);
    for (std::size_t i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(AValue.Mask() >> (8 * i));
    SetEnumSetValue(AIndex, b);
  }

 protected:
  // Declares nothing; every option class calls the inherited one first, then
  // declares its members in the order of its properties' index numbers.
  virtual void AddMembers() {}
  virtual void CreateInstance();

  TZQJSonStringMember* AddStringMember(std::string_view AName, std::string_view ADefVal, bool AUnchangeable,
                                       bool AGenerateJSon);
  TZQJSonBooleanMember* AddBooleanMember(std::string_view AName, bool ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonIntegerMember* AddIntegerMember(std::string_view AName, std::int32_t ADefVal, bool AUnchangeable,
                                         bool AGenerateJSon);
  TZQJSonColorMember* AddColorMember(std::string_view AName, std::string_view ADefVal, bool AUnchangeable,
                                     bool AGenerateJSon);
  TZQJSonDoubleMember* AddDoubleMember(std::string_view AName, double ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonCurrencyMember* AddCurrencyMember(std::string_view AName, Currency ADefVal, bool AUnchangeable,
                                           bool AGenerateJSon);
  TZQJSonVariantMember* AddVariantMember(std::string_view AName, const Variant& ADefVal, bool AUnchangeable,
                                         bool AGenerateJSon);
  TZQJSonJSonMember* AddJSonMember(std::string_view AName, std::string_view ADefVal, bool AUnchangeable,
                                   bool AGenerateJSon);
  TZQJSonObjMember* AddObjMember(std::string_view AName, const ClassInfo& AClass, bool AUnchangeable,
                                 bool AGenerateJSon, bool ADynamic);
  TZQJSonObjListMember* AddObjListMember(std::string_view AName, const ClassInfo& AClass, bool AUnchangeable,
                                         bool AGenerateJSon, bool ADynamic);
  TZQJSonDynObjListMember* AddDynObjListMember(std::string_view AName, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonSimpleArrayMember* AddSimpleArrayMember(std::string_view AName, bool AQuoted, bool AUnchangeable,
                                                 bool AGenerateJSon);
  TZQJSonEnumMember* AddEnumMember(std::string_view AName, std::initializer_list<std::string_view> ATexts,
                                   std::uint8_t ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonEnumSetMember* AddEnumSetMember(std::string_view AName, std::initializer_list<std::string_view> ATexts,
                                         const void* ADefBuf, std::uint16_t ASize, bool AUnchangeable,
                                         bool AGenerateJSon);
  TZQJSonEnumMember* AddEnumMember(std::string_view AName, const TZQStringArray& ATexts, std::uint8_t ADefVal,
                                   bool AUnchangeable, bool AGenerateJSon);
  TZQJSonEnumSetMember* AddEnumSetMember(std::string_view AName, const TZQStringArray& ATexts, const void* ADefBuf,
                                         std::uint16_t ASize, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonFuncMember* AddFuncMember(std::string_view AName, std::string_view AArgs, std::string_view AFuncName,
                                   bool AHasFixedScript, const ClassInfo* AFuncClass, bool AUnchangeable,
                                   bool AGenerateJSon);

 private:
  template <class M>
  M* MemberAs(int AIndex, TZQJSonMemberType AKind);
  ISuperObject Node(const TZQJSonMember* M) const;
  void AfterScalarSet(TZQJSonMember* M, bool AChanged);
  TPersistent* SubObject(int AIndex, TZQJSonMemberType AKind);
  TPersistent* CreateSubObject(TIWZQJSonInstObjItem& ASlot, int AIndex);
  bool IsEventFunctionProp(const PropInfo* P, const TZQJSonMember* M) const;
  bool StoreProperty(const PropInfo* P);
  ISuperObject PropValue(const PropInfo* P, TZQJSonMember* M, bool AForce, TEachPropJsonRec& Rec, bool& ANoObject);
  ISuperObject RowValue(const struct TZQJSonWriteStep& S, TEachPropJsonRec& Rec);
  // The document node of a scalar row's value when it differs from the
  // default (not for JSon and Variant members), else null; not shared.
  TSuperObject* StoredNode(const TZQJSonWriteStep& S) const;
  void Bookkeep(TEachPropJsonRec& Rec, TZQJSonMember* M);
  bool ObjectPropMayHoldMembers(const PropInfo* P) const;
  bool DesignMode();

  TZQJSonClassData* FClassData = nullptr;
  TPersistent* FOwner = nullptr;
  std::string FPropName;
  ISuperObject FSObj;
  std::vector<std::unique_ptr<TIWZQJSonInstObjItem>> FInstList;
  IIWZQJSContainer* FDisabledContainer = nullptr;
  bool FDestroying = false;
};

// The option literal of a node as script text. With name quoting off, member
// names that are script identifiers or canonical non-negative integers are
// written bare; any other name is quoted and escaped so the text stays valid
// script ("background-color" gives "background-color":...).
// Called with every option object, option list and simple array (as its
// TObject) while it is destroyed, so that layers above can drop what they hold
// for it: the response lists drop their setters. Set once at start-up.
using TZQJSonFreedHook = void (*)(const void* AObject);
void ZQSetJSonFreedHook(TZQJSonFreedHook AHook);
void ZQNotifyJSonFreed(const TObject* AObject);

std::string ZQOptionJSonText(const ISuperObject& ANode, bool AIndent, bool AEscape = true, bool ANameQuote = false);

}  // namespace zq

// Publishes property NAME of option class bound to member INDEX through the
// accessor family KIND (String, Color, JSon, Boolean, Integer, Enumer, Double,
// Currency, Variant, EnumSet; Obj, ObjList, SimpleArray, DynObjList; Func).
#define ZQ_JSON_PROP(c, NAME, INDEX, KIND)                                                            \
  (c).Prop(NAME, INDEX, &::zq::TIWZQJSon::Get##KIND##Value, &::zq::TIWZQJSon::Set##KIND##Value) \
      .Stored(&::zq::TIWZQJSon::Is##KIND##Stored)
#define ZQ_JSON_OBJPROP(c, NAME, INDEX, KIND)                                                         \
  (c).Prop(NAME, INDEX, &::zq::TIWZQJSon::Get##KIND##Value, &::zq::TIWZQJSon::Set##KIND##Value) \
      .Stored(&::zq::TIWZQJSon::IsObjStored)
#define ZQ_JSON_FUNCPROP(c, NAME, INDEX)                                                        \
  (c).Prop(NAME, INDEX, &::zq::TIWZQJSon::GetFuncValue, &::zq::TIWZQJSon::SetFuncValue) \
      .Stored(&::zq::TIWZQJSon::IsFuncStored)
