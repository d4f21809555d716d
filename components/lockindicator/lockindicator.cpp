#include "components/lockindicator/lockindicator.h"

#include <algorithm>
#include <atomic>

#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/html.h"
#include "foundation/jqcommon.h"
#include "foundation/superobject.h"
#include "framework/links.h"
#include "framework/style.h"
#include "host/context.h"
#include "host/controls.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zq {

namespace {

const char* Br() {
  return ZQJavascriptDebug() ? "\r\n" : "";
}

// What the page scripts of a page get from its two indicators: the server
// controller's first (its script file linked here; a form's indicator links
// it as a component of the form), then the form's.
void PageIndicators(TIWPageContext40& APage, TZQPageIndicators& AOut) {
  TIWZQJQCustomLockIndicator* sc = ZQFindLockIndicator(gServerController);
  TIWZQJQCustomLockIndicator* form = ZQFindLockIndicator(APage.Form());
  if (sc) {
    ZQAddJSLink(APage, ZQJsUrlBase, JQBlockUIJS(), false);
    AOut.Scripts.push_back(sc->GetPageScripts());
  }
  if (form) AOut.Scripts.push_back(form->GetPageScripts());
  if (!AOut.Scripts.empty()) AOut.HelperLines = ZQLockIndicatorPreScriptLines();
}

void InstallPageIndicators() {
  static std::once_flag once;
  std::call_once(once, [] { ZQSetPageIndicatorSource(&PageIndicators); });
}

}  // namespace

ZQ_IMPLEMENT_OPTIONS(TIWZQJQLockIndicatorMsgSettings) {
  c.Prop("Font", &TIWZQJQLockIndicatorMsgSettings::GetFont,
         &TIWZQJQLockIndicatorMsgSettings::SetFont);
}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQLockIndicatorImageSettings) {
  c.Prop("CustomImage", &TIWZQJQLockIndicatorImageSettings::GetCustomImage,
         &TIWZQJQLockIndicatorImageSettings::SetCustomImage);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQLockPositionOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQLockIndicatorItem) {
  c.Prop("Control", &TIWZQJQLockIndicatorItem::GetControl, &TIWZQJQLockIndicatorItem::SetControl);
  // Name and MessageIsHTML are server-side settings: accessors only, so the
  // option writer never puts them into the blockUI options.
}
ZQ_IMPLEMENT_CLASS(TIWZQJQLockIndicators) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQCustomLockIndicator) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQLockIndicator) {
  c.Prop("Indicators", &TIWZQJQLockIndicator::GetIndicators, &TIWZQJQLockIndicator::SetIndicators);
  c.Prop("AsyncIndicatorIndex", &TIWZQJQLockIndicator::GetAsyncIndicatorIndex,
         &TIWZQJQLockIndicator::SetAsyncIndicatorIndex);
  c.Prop("SubmitIndicatorIndex", &TIWZQJQLockIndicator::GetSubmitIndicatorIndex,
         &TIWZQJQLockIndicator::SetSubmitIndicatorIndex);
  // The names earlier versions stored the indexes under: read, never written.
  c.Prop("AsyncIndicator", &TIWZQJQLockIndicator::GetAsyncIndicatorIndex,
         &TIWZQJQLockIndicator::SetAsyncIndicatorIndex)
      .Stored(false);
  c.Prop("SubmitIndicator", &TIWZQJQLockIndicator::GetSubmitIndicatorIndex,
         &TIWZQJQLockIndicator::SetSubmitIndicatorIndex)
      .Stored(false);
  c.Prop("AjaxEventsRegEx", &TIWZQJQLockIndicator::GetAjaxEventsRegEx,
         &TIWZQJQLockIndicator::SetAjaxEventsRegEx);
  c.Prop("AjaxEventsZQRegEx", &TIWZQJQLockIndicator::GetAjaxEventsZQRegEx,
         &TIWZQJQLockIndicator::SetAjaxEventsZQRegEx);
}

// ---------------------------------------------------------------- message and image

TIWZQJQLockIndicatorMsgSettings::TIWZQJQLockIndicatorMsgSettings(TCollection* Collection)
    : TIWZQJSon(Collection), FFont(Create<TIWFont>()) {
  FFont->Size = 14;
  FFont->FontName = "Arial, Sans-Serif, Verdana";
}
TIWZQJQLockIndicatorMsgSettings::~TIWZQJQLockIndicatorMsgSettings() = default;

void TIWZQJQLockIndicatorMsgSettings::SetFont(TIWFont* AValue) {
  FFont->Assign(AValue);
}

void TIWZQJQLockIndicatorMsgSettings::Assign(const TPersistent* Source) {
  TIWZQJSon::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQLockIndicatorMsgSettings*>(Source))
    FFont->Assign(s->FFont.get());
}

TIWZQJQLockIndicatorImageSettings::TIWZQJQLockIndicatorImageSettings(TCollection* Collection)
    : TIWZQJSon(Collection) {}
TIWZQJQLockIndicatorImageSettings::~TIWZQJQLockIndicatorImageSettings() = default;

void TIWZQJQLockIndicatorImageSettings::SetImage(int AValue) {
  if (AValue < jqlidiNone || AValue > kLockIndicatorImageCount) AValue = jqlidiNone;
  SetIntegerValue(kImage, AValue);
  const TZQLockImageSize size = ZQLockImageSize(AValue);
  SetWidth(size.Width);
  SetHeight(size.Height);
}

TIWZQPictureEx* TIWZQJQLockIndicatorImageSettings::GetCustomImage() {
  if (!FCustomImage) {
    auto* item = dynamic_cast<TIWZQJQLockIndicatorItem*>(GetOwner());
    TIWZQJQCustomLockIndicator* lock = item ? item->LockIndicator() : nullptr;
    FCustomImage.reset(
        Create<TIWZQPictureEx>(this, (lock ? lock->GetHTMLName() : std::string()) + "_CUSTOMIMG"));
    if (lock) FCustomImage->SetImages(lock->GetImages());
  }
  return FCustomImage.get();
}

void TIWZQJQLockIndicatorImageSettings::Assign(const TPersistent* Source) {
  TIWZQJSon::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQLockIndicatorImageSettings*>(Source))
    if (s->FCustomImage) GetCustomImage()->Assign(s->FCustomImage.get());
}

const char* ZQLockPositionText(TIWZQJQLockPositions APosition) {
  static const char* const texts[] = {"left top",   "left center",   "left bottom",
                                      "center top", "center center", "center bottom",
                                      "right top",  "right center",  "right bottom"};
  const auto i = static_cast<std::size_t>(APosition);
  return i < std::size(texts) ? texts[i] : texts[4];
}

void TIWZQJQLockPositionOptions::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TIWZQJQLockPositionOptions*>(Source)) {
    Position = s->Position;
    InElement = s->InElement;
    UseSettings = s->UseSettings;
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------- items

TIWZQJQLockIndicatorItem::TIWZQJQLockIndicatorItem(TCollection* Collection)
    : TIWZQJSon(Collection), FPositionOptions(Create<TIWZQJQLockPositionOptions>()) {}

TIWZQJQLockIndicatorItem::~TIWZQJQLockIndicatorItem() = default;

void TIWZQJQLockIndicatorItem::AfterConstruction() {
  TIWZQJSon::AfterConstruction();
  SetCss("{}");
  SetOverlayCSS("{\"cursor\":\"wait\"}");
  // Every part exists from here on: rendering never creates one (an item of
  // the server controller's indicator is read by many request threads).
  GetMessageSettings();
  GetImageSetting();
  GetOnBlock();
  GetOnUnblock();
  GetOnOverlayClick();
}

void TIWZQJQLockIndicatorItem::BeforeDestruction() {
  const std::vector<TIWZQFunc*> funcs = std::move(FFuncs);
  FFuncs.clear();
  for (TIWZQFunc* f : funcs) f->IndicatorItemFreed(this);
  TIWZQJSon::BeforeDestruction();
}

TIWZQJQLockIndicators* TIWZQJQLockIndicatorItem::Indicators() const {
  return dynamic_cast<TIWZQJQLockIndicators*>(GetList());
}

TIWZQJQCustomLockIndicator* TIWZQJQLockIndicatorItem::LockIndicator() const {
  TIWZQJQLockIndicators* list = Indicators();
  return list ? list->GetLockIndicator() : nullptr;
}

TComponent* TIWZQJQLockIndicatorItem::GetIndicatorComponent() {
  return LockIndicator();
}

void TIWZQJQLockIndicatorItem::SetControl(TComponent* AValue) {
  if (AValue == FControl) return;
  TIWZQJQCustomLockIndicator* lock = LockIndicator();
  if (FControl && lock) FControl->RemoveFreeNotification(lock);
  FControl = AValue;
  if (FControl && lock) FControl->FreeNotification(lock);
  FPositionOptions->InElement = FControl != nullptr;
}

std::string TIWZQJQLockIndicatorItem::GetName() {
  if (!FName.empty()) return FName;
  TIWZQJQCustomLockIndicator* lock = LockIndicator();
  return Format("%s_%d", lock ? lock->GetHTMLName() : std::string(), GetIndex());
}

std::string TIWZQJQLockIndicatorItem::ControlHTMLName() const {
  return FControl ? ZQGetCtrlHTMLName(FControl) : std::string();
}

void TIWZQJQLockIndicatorItem::AddFunc(TIWZQFunc* AFunc) {
  if (AFunc && std::find(FFuncs.begin(), FFuncs.end(), AFunc) == FFuncs.end())
    FFuncs.push_back(AFunc);
}

void TIWZQJQLockIndicatorItem::DelFunc(TIWZQFunc* AFunc) {
  FFuncs.erase(std::remove(FFuncs.begin(), FFuncs.end(), AFunc), FFuncs.end());
}

std::string TIWZQJQLockIndicatorItem::GetImageSrc() {
  TIWZQJQLockIndicatorImageSettings* img = GetImageSetting();
  std::string src = img->GetCustomImage()->GetSrc();
  if (src.empty() && img->GetImage() != jqlidiNone) {
    TIWZQJQCustomLockIndicator* lock = LockIndicator();
    const std::string path = ZQLockImagePath("", img->GetTheme(), img->GetImage());
    src = ZQGetLink(ZQCssUrlBase, path, lock && lock->HasState(csDesigning));
  }
  return src;
}

std::string TIWZQJQLockIndicatorItem::GetMsgContentHTML() {
  TIWZQJQLockIndicatorMsgSettings* msg = GetMessageSettings();
  TIWZQJQLockIndicatorImageSettings* img = GetImageSetting();
  TZQLockMessage m;
  TIWZQJQCustomLockIndicator* lock = LockIndicator();
  m.Name = FControl ? ControlHTMLName() : (lock ? lock->GetJQHTMLName() : std::string());
  m.ImageSrc = GetImageSrc();
  m.Width = img->GetWidth();
  m.Height = img->GetHeight();
  m.Align = img->GetAlignment();
  m.Text = msg->GetMessage();
  m.Visible = msg->GetVisible();
  m.MessageIsHTML = FMessageIsHTML;
  m.FontStyle = ZQFontToString(msg->GetFont());
  return ZQLockMessageHTML(m);
}

ISuperObject TIWZQJQLockIndicatorItem::GetJSon() {
  return GetJSonEx(false, false, nullptr, false);
}

ISuperObject TIWZQJQLockIndicatorItem::GetJSonEx(bool AllProps, bool ForceVal,
                                                 TIWZQResponseMemberList* Members, bool OnlyCount) {
  ISuperObject r = TIWZQJSon::GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
  if (!r) r = TSuperObject::Create(stObject);
  const std::string title = GetTitle();
  if (title.empty())
    r->PutO("title", TSuperObject::Create(stNull));
  else
    r->PutS("title", FMessageIsHTML ? title : HTMLEscape(title));
  if (GetMessageSettings()->GetMessage().empty())
    r->PutO("message", TSuperObject::Create(stNull));
  else
    r->PutS("message", GetMsgContentHTML());
  return r;
}

std::string TIWZQJQLockIndicatorItem::GetJQueryScript(bool AUnload) {
  const std::string br = Br();
  const std::string name = ControlHTMLName();
  const std::string target =
      FControl ? Format("%s(%s)", ZQJQuery, ZQJsEscape("#" + name)) : std::string(ZQJQuery);
  if (AUnload) return target + (FControl ? ".unblock" : ".unblockUI") + "();" + br;
  std::string r;
  if (GetCss() == "{}")
    r += Format("%s.blockUI.defaults.css = {}; %s.blockUI.defaults.overlayCSS = {};", ZQJQuery,
                ZQJQuery) +
         br;
  r += target + (FControl ? ".block" : ".blockUI") + "(" +
       GetJSon()->AsJSon(JSonIdent(), JSonEscape(), JSonNameQuote()) + ");" + br;
  TIWZQJQCustomLockIndicator* lock = LockIndicator();
  if (!(lock && lock->GetMobile()) && FPositionOptions->UseSettings) {
    ISuperObject pos = TSuperObject::Create(stObject);
    if (FPositionOptions->InElement && !name.empty())
      pos->PutS("of", "#" + name);
    else
      pos->PutO("of", TSuperObject::Create("window", true));
    pos->PutS("my", ZQLockPositionText(FPositionOptions->Position));
    pos->PutS("at", ZQLockPositionText(FPositionOptions->Position));
    r += Format("%s(\"%s\").position(%s);", ZQJQuery,
                FControl ? ".blockUI.blockElement" : ".blockUI.blockPage",
                pos->AsJSon(false, true, JSonNameQuote())) +
         br;
  }
  return r;
}

void TIWZQJQLockIndicatorItem::Lock() {
  if (TIWZQJQCustomLockIndicator* lock = LockIndicator())
    lock->AddItemScript(GetJQueryScript(false));
}

void TIWZQJQLockIndicatorItem::Unlock() {
  if (TIWZQJQCustomLockIndicator* lock = LockIndicator())
    lock->AddItemScript(GetJQueryScript(true));
}

void TIWZQJQLockIndicatorItem::Assign(const TPersistent* Source) {
  TIWZQJSon::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQLockIndicatorItem*>(Source)) {
    SetControl(s->FControl);
    FName = s->FName;
    FMessageIsHTML = s->FMessageIsHTML;
    FPositionOptions->Assign(s->FPositionOptions.get());
  }
}

TIWZQJQLockIndicators::TIWZQJQLockIndicators()
    : TIWZQJSonList(TIWZQJQLockIndicatorItem::StaticClass(), 0) {}

TIWZQJQLockIndicatorItem* TIWZQJQLockIndicators::ItemByName(const std::string& AName) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->GetName() == AName) return Items(i);
  return nullptr;
}

TIWZQJQCustomLockIndicator* TIWZQJQLockIndicators::GetLockIndicator() const {
  return dynamic_cast<TIWZQJQCustomLockIndicator*>(FOwner);
}

void TIWZQJQLockIndicators::ControlDestroyed(TComponent* AControl) {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->GetControl() == AControl) Items(i)->SetControl(nullptr);
}

// ---------------------------------------------------------------- component

std::string JQBlockUIJS() {
  return ZQMinFile("jquery.blockUI.js", "jquery.blockUI.min.js");
}

TIWZQJQCustomLockIndicator* ZQFindLockIndicator(TComponent* AOwner) {
  if (!AOwner) return nullptr;
  for (int i = 0; i < AOwner->ComponentCount(); ++i)
    if (auto* l = dynamic_cast<TIWZQJQCustomLockIndicator*>(AOwner->Components(i)))
      if (l->GetName() == kZQLockIndicatorName) return l;
  return nullptr;
}

TIWZQJQCustomLockIndicator::TIWZQJQCustomLockIndicator(TComponent* AOwner)
    : TIWZQJQComponent(AOwner) {
  if (!dynamic_cast<TIWServerController*>(AOwner) && !dynamic_cast<TIWAppForm*>(AOwner))
    throw EIWZQJQuery("LockIndicator it's Allowed only in IWServerController or IWForm!");
  for (int i = 0; i < AOwner->ComponentCount(); ++i) {
    TComponent* c = AOwner->Components(i);
    if (c != this && dynamic_cast<TIWZQJQCustomLockIndicator*>(c))
      throw EIWZQJQuery("Only one LockIndicator it's Allowed per IWForm or IWServerController!");
  }
  FAjaxEventsRegEx.Add(".OnAsyncDoubleClick$");
  FAjaxEventsRegEx.Add(".OnAsyncClick$");
  FAjaxEventsZQRegEx.Add(".OnClick$");
  InstallPageIndicators();
}

TIWZQJQCustomLockIndicator::~TIWZQJQCustomLockIndicator() = default;

void TIWZQJQCustomLockIndicator::AfterConstruction() {
  TIWZQJQComponent::AfterConstruction();
  SetName(kZQLockIndicatorName);
  GetIndicators();
}

void TIWZQJQCustomLockIndicator::BeforeDestruction() {
  FIndicators.reset();
  TIWZQJQComponent::BeforeDestruction();
}

void TIWZQJQCustomLockIndicator::SetName(const std::string&) {
  TIWZQJQComponent::SetName(kZQLockIndicatorName);
}

TIWZQJQLockIndicators* TIWZQJQCustomLockIndicator::GetIndicators() {
  if (!FIndicators)
    FIndicators.reset(TIWZQJSonList::CreateList<TIWZQJQLockIndicators>(this, "Indicators"));
  return FIndicators.get();
}

void TIWZQJQCustomLockIndicator::SetAsyncIndicatorIndex(int AValue) {
  FAsyncIndicatorIndex = AValue >= 0 && AValue < GetIndicators()->Count() ? AValue : -1;
}

void TIWZQJQCustomLockIndicator::SetSubmitIndicatorIndex(int AValue) {
  FSubmitIndicatorIndex = AValue >= 0 && AValue < GetIndicators()->Count() ? AValue : -1;
}

void TIWZQJQCustomLockIndicator::SetImages(TImageList* AValue) {
  if (FImages == AValue) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = AValue;
  if (FImages) FImages->FreeNotification(this);
}

TIWZQJQLockIndicatorItem* TIWZQJQCustomLockIndicator::GetActiveAsyncIndicator() {
  const int i = FAsyncIndicatorIndex;
  return i >= 0 && i < GetIndicators()->Count() ? GetIndicators()->Items(i) : nullptr;
}

TIWZQJQLockIndicatorItem* TIWZQJQCustomLockIndicator::GetActiveSubmitIndicator() {
  const int i = FSubmitIndicatorIndex;
  return i >= 0 && i < GetIndicators()->Count() ? GetIndicators()->Items(i) : nullptr;
}

bool TIWZQJQCustomLockIndicator::OnServerController() const {
  return dynamic_cast<TIWServerController*>(Owner()) != nullptr;
}

std::string TIWZQJQCustomLockIndicator::JoinLines(const std::vector<std::string>& ALines) {
  const std::string sep = ZQJavascriptDebug() ? "\r\n" : " ";
  std::string r;
  for (const auto& l : ALines) r += l + sep;
  return r;
}

std::string TIWZQJQCustomLockIndicator::GetCreatePreImagesScript() {
  std::lock_guard<std::recursive_mutex> g(FScriptLock);
  std::string r;
  TIWZQJQLockIndicators* list = GetIndicators();
  for (int i = 0; i < list->Count(); ++i) {
    const std::string src = list->Items(i)->GetImageSrc();
    if (!src.empty()) r += Format("%s(%s); ", "ZQCreateLock", ZQJsEscape(src)) + Br();
  }
  return r;
}

std::string TIWZQJQCustomLockIndicator::GetJQueryScript(bool AAjax, bool AUnload) {
  std::lock_guard<std::recursive_mutex> g(FScriptLock);
  TZQLockHookSource src;
  src.OnServerController = OnServerController();
  TIWZQJQLockIndicators* list = GetIndicators();
  for (int i = 0; i < list->Count(); ++i)
    src.ItemScripts.push_back(list->Items(i)->GetJQueryScript(AUnload));
  TIWZQJQLockIndicatorItem* active = AAjax ? GetActiveAsyncIndicator() : GetActiveSubmitIndicator();
  src.ActiveIndex = active ? active->GetIndex() : -1;
  for (int i = 0; i < FAjaxEventsRegEx.Count(); ++i)
    src.AjaxEventsRegEx.push_back(FAjaxEventsRegEx[i]);
  for (int i = 0; i < FAjaxEventsZQRegEx.Count(); ++i)
    src.AjaxEventsZQRegEx.push_back(FAjaxEventsZQRegEx[i]);
  return JoinLines(ZQLockIndicatorHookLines(AAjax, AUnload, src));
}

TZQPageIndicatorScripts TIWZQJQCustomLockIndicator::GetPageScripts() {
  std::lock_guard<std::recursive_mutex> g(FScriptLock);
  TZQPageIndicatorScripts r;
  r.PreImages = GetCreatePreImagesScript();
  r.AjaxBegin = GetJQueryScript(true, false);
  r.AjaxEnd = GetJQueryScript(true, true);
  r.SubmitBegin = GetJQueryScript(false, false);
  r.SubmitEnd = GetJQueryScript(false, true);
  return r;
}

void TIWZQJQCustomLockIndicator::AddItemScript(const std::string& AScript) {
  // The server controller's indicator is shared by every session: during a
  // callback its script goes straight into this request's response.
  if (OnServerController() && ZQIsCallBackProcessing()) {
    ZQAddJavaScriptToAjaxResponse(AScript, false, true);
    return;
  }
  std::lock_guard<std::recursive_mutex> g(FScriptLock);
  AddJavaScriptToResponse(AScript, true, true);
}

void TIWZQJQCustomLockIndicator::GetScriptLinks(TStringList& AList) {
  TIWZQJQComponent::GetScriptLinks(AList);
  AList.Add(JQBlockUIJS());
}

std::unique_ptr<TIWHTMLTag> TIWZQJQCustomLockIndicator::RenderHTML(TIWCompContext& AContext) {
  std::lock_guard<std::recursive_mutex> g(FScriptLock);
  return TIWZQJQComponent::RenderHTML(AContext);
}

void TIWZQJQCustomLockIndicator::Notification(TComponent* AComponent, TOperation Operation) {
  TIWZQJQComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  if (FIndicators && !HasState(csDestroying)) FIndicators->ControlDestroyed(AComponent);
}

}  // namespace zq
