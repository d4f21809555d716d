#include "components/upload/upload.h"

#include <filesystem>

#include "actionmap/map.h"
#include "components/upload/uploadreceiver.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/superobject.h"
#include "framework/links.h"
#include "host/application.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zq {

namespace fs = std::filesystem;

ZQ_IMPLEMENT_OPTIONS(TIWZQJQFileUploadOptionsMessages) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQFileUploadOptionsClasses) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQFileUploadOptions) {
  using O = TIWZQJQFileUploadOptions;
  c.Prop("Tip", &O::GetDragText, &O::SetDragText).Stored(false);
  c.Prop("CancelCaption", &O::GetCancelButtonText, &O::SetCancelButtonText).Stored(false);
  c.Prop("FailedCaption", &O::GetFailUploadText, &O::SetFailUploadText).Stored(false);
  c.Prop("Caption", &O::GetUploadButtonText, &O::SetUploadButtonText).Stored(false);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQUploadingFileItem) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQUploadingFileList) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQCustomFileUpload) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQFileUpload) {
  using U = TIWZQJQFileUpload;
  c.Prop("JQFileUploadOptions", &U::GetJQFileUploadOptions, &U::SetJQFileUploadOptions);
  c.Prop("CanOverrideFile", &U::GetCanOverrideFile, &U::SetCanOverrideFile).Stored(false);
  c.Prop("PluginVersion", &U::GetPluginVersion, nullptr).Stored(false);
  c.Prop("OnGetFileName", &U::OnGetFileName);
  c.Prop("Enabled", &U::GetEnabled, &U::SetEnabled);
}

namespace {
const char* Br() {
  return ZQJavascriptDebug() ? "\r\n" : "";
}
}  // namespace

// ---------------------------------------------------------------- options

void TIWZQJQFileUploadOptionsClasses::AfterConstruction() {
  TIWZQJSon::AfterConstruction();
  SetButton("ui-button");
  SetList("zq-qq-upload-list");
  SetSuccess("ui-state-highlight");
  SetFail("ui-state-error");
}

void TIWZQJQFileUploadOptions::AfterConstruction() {
  TIWZQJSon::AfterConstruction();
  SetAction("");
  SetFileTemplate("");
}

TIWZQJQCustomFileUpload* TIWZQJQFileUploadOptions::GetFileUpload() {
  return dynamic_cast<TIWZQJQCustomFileUpload*>(GetOwner());
}

std::string TIWZQJQFileUploadOptions::DefaultTemplate() {
  TIWZQJQFileUploadOptionsClasses* c = GetClasses();
  TIWZQJQCustomFileUpload* up = GetFileUpload();
  const int width = up ? up->Width : 0, height = up ? up->Height : 0;
  return "<div class='qq-uploader'><div class='" + c->GetDrop() + "'>" + "<span>{dragText}</span>" +
         "</div>" + "<div class='" + c->GetButton() + "'>" +
         "<span style='height:" + std::to_string(height - 2) +
         "px; width:" + std::to_string(width) + "px; padding: 0 1em; " +
         "vertical-align: middle; display: table-cell;'>{uploadButtonText}</span>" + "</div>" +
         "<ul class='" + c->GetList() + "'" +
         (GetShowUploadedFileList() ? "" : " style='visibility:hidden'") + "></ul>" + "</div>";
}

std::string TIWZQJQFileUploadOptions::DefaultFileTemplate() {
  TIWZQJQFileUploadOptionsClasses* c = GetClasses();
  return "<li><span class='" + c->GetProgressBar() + "'></span>" + "<span class='" +
         c->GetSpinner() + "'></span>" + "<span class='" + c->GetFinished() + "'></span>" +
         "<span class='" + c->GetFile_() + "'></span>" + "<span class='" + c->GetSize() +
         "'></span>" + "<a class='" + c->GetCancel() +
         "' href='javascript:void(0)'>{cancelButtonText}</a>" +
         "<span class='qq-upload-failed-text'>{failUploadtext}</span>" + "</li>";
}

bool TIWZQJQFileUploadOptions::GetCustomJq(const std::string& APropName,
                                           const ISuperObject& AJSon) {
  if (TIWZQJSon::GetCustomJq(APropName, AJSon)) return true;
  // other names of members: the members themselves write the value
  if (APropName == "Tip" || APropName == "CancelCaption" || APropName == "FailedCaption" ||
      APropName == "Caption")
    return true;
  TIWZQJQCustomFileUpload* up = GetFileUpload();
  if (APropName == "Action" && GetAction().empty()) {
    if (up && !up->HasState(csDesigning)) AJSon->PutS("action", up->GetServerActionUrl());
    return true;
  }
  if (APropName == "Template" && GetTemplate().empty()) {
    AJSon->PutS("template", DefaultTemplate());
    return true;
  }
  if (APropName == "FileTemplate" && GetFileTemplate().empty()) {
    AJSon->PutS("fileTemplate", DefaultFileTemplate());
    return true;
  }
  if (APropName == "Element" && GetElement().empty()) {
    if (up)
      AJSon->PutO("element", TSuperObject::Create(ZQGetJQueryElem(up->GetJQHTMLName()), true));
    return true;
  }
  if (APropName == "Button") {
    if (!GetButton().empty())
      AJSon->PutO("button",
                  TSuperObject::Create(Format("%s(%s)", ZQJQuery, ZQJsEscape(GetButton())), true));
    return true;
  }
  return false;
}

ISuperObject TIWZQJQFileUploadOptions::GetJSon() {
  ISuperObject json = TIWZQJSon::GetJSon();
  if (!json) json = SO("{}");
  if (TIWZQJQCustomFileUpload* up = GetFileUpload())
    json->PutS("iwHiddenInputName", up->StoredFilesInputName());
  return json;
}

// ---------------------------------------------------------------- uploading files

void TIWZQJQUploadingFileItem::Cancel() {
  auto* list = dynamic_cast<TIWZQJQUploadingFileList*>(GetCollection());
  if (FFileId >= 0 && list && list->Upload()) list->Upload()->CancelFileUpload(FFileId);
}

TIWZQJQUploadingFileList::TIWZQJQUploadingFileList(TIWZQJQCustomFileUpload* AUpload)
    : TCollection(TIWZQJQUploadingFileItem::StaticClass(), AUpload), FUpload(AUpload) {}

TIWZQJQUploadingFileItem* TIWZQJQUploadingFileList::GetItemByFileId(int AId) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->GetFileId() == AId) return Items(i);
  return nullptr;
}

TIWZQJQUploadingFileItem* TIWZQJQUploadingFileList::GetItemByFileName(
    const std::string& AName) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->GetFileName() == AName) return Items(i);
  return nullptr;
}

// ---------------------------------------------------------------- control

TIWZQJQCustomFileUpload::TIWZQJQCustomFileUpload(TComponent* AOwner) : TIWZQJQContainer(AOwner) {
  // no clipping: the file list and the drop area reach beyond the button
  ClipRegion = false;
  SetZQScrollStyle(zqsbsBothVisible);
  SetBounds(Left, Top, 121, 21);
}

TIWZQJQCustomFileUpload::~TIWZQJQCustomFileUpload() = default;

void TIWZQJQCustomFileUpload::BeforeDestruction() {
  // No later upload may reach a control that is gone.
  if (!FServerActionUrl.empty() && !Designing()) DelZQJQMapEvent(FMapID, "Upload");
  TIWZQJQContainer::BeforeDestruction();
}

TIWZQJQFileUploadOptions* TIWZQJQCustomFileUpload::GetJQFileUploadOptions() {
  if (!FJQFileUploadOptions)
    FJQFileUploadOptions.reset(TIWZQJSon::CreateSingle(TIWZQJQFileUploadOptions::StaticClass(),
                                                       this, "JQFileUploadOptions"));
  return static_cast<TIWZQJQFileUploadOptions*>(FJQFileUploadOptions.get());
}

void TIWZQJQCustomFileUpload::SetJQFileUploadOptions(TIWZQJQFileUploadOptions* AValue) {
  GetJQFileUploadOptions()->Assign(AValue);
}

void TIWZQJQCustomFileUpload::SetEnabled(bool AValue) {
  if (AValue == Enabled) return;
  Enabled = AValue;
  if (GetGenerateAjaxResponse(nullptr))
    AddJavaScriptToAjaxResponse(jsSetEnabled(AValue), true, true);
}

const std::string& TIWZQJQCustomFileUpload::GetMapID() {
  if (FMapID.empty()) FMapID = ZQNewGUIDHTMLMapID();
  return FMapID;
}

const std::string& TIWZQJQCustomFileUpload::GetServerActionUrl() {
  if (FServerActionUrl.empty()) {
    TIWApplication* app = GetIWApplication();
    if (!app) app = gGetWebApplicationThreadVar();
    FServerActionUrl = AddZQJQMapEvent(
        GetMapID(), "Upload", app ? app->AppID() : std::string(),
        TIWZQJQMapEvent(this, &TIWZQJQCustomFileUpload::ActionUploadHandler), mrtCustom);
  }
  return FServerActionUrl;
}

TIWZQJQUploadingFileList* TIWZQJQCustomFileUpload::GetUploadingFileList() {
  if (!FUploadingFileList) FUploadingFileList = std::make_unique<TIWZQJQUploadingFileList>(this);
  return FUploadingFileList.get();
}

std::string TIWZQJQCustomFileUpload::UploadFolder() {
  std::string path = GetJQFileUploadOptions()->GetUploadPath();
  auto withSlash = [](std::string p) {
    if (!p.empty() && p.back() != '/') p += '/';
    return p;
  };
  if (!path.empty()) {
    if (fs::path(path).is_absolute()) return withSlash(path);
    const std::string content = gServerController ? gServerController->ContentPath : "webroot";
    return withSlash(withSlash(content) + path);
  }
  const std::string cache = gServerController ? gServerController->CacheDir : "cache";
  TIWApplication* app = GetIWApplication();
  if (!app) app = gGetWebApplicationThreadVar();
  return withSlash(withSlash(cache) + "upload/" +
                   ZQSessionLabel(app ? app->AppID() : std::string()));
}

// ---- script operations

std::string TIWZQJQCustomFileUpload::SafeExecJavascript(const std::string& AScript) {
  const std::string obj = GetFileUploadJQObj();
  return Format("if ((%s) && (typeof %s != \"undefined\")) {", obj, obj) + Br() + AScript + Br() +
         "}" + Br();
}

std::string TIWZQJQCustomFileUpload::jsSetParams(const std::string& AParams) {
  return SafeExecJavascript(Format("%s.setParams(%s);", GetFileUploadJQObj(), AParams));
}
void TIWZQJQCustomFileUpload::SetParams(const std::string& AParams) {
  AddJavaScriptToResponse(jsSetParams(AParams), true, true);
}
std::string TIWZQJQCustomFileUpload::jsUploadStoredFiles() {
  return SafeExecJavascript(Format("%s.uploadStoredFiles();", GetFileUploadJQObj()));
}
void TIWZQJQCustomFileUpload::UploadStoredFiles() {
  AddJavaScriptToResponse(jsUploadStoredFiles(), true, true);
}
std::string TIWZQJQCustomFileUpload::jsClearStoredFiles() {
  return SafeExecJavascript(Format("%s.clearStoredFiles();", GetFileUploadJQObj()));
}
void TIWZQJQCustomFileUpload::ClearStoredFiles() {
  AddJavaScriptToResponse(jsClearStoredFiles(), true, true);
}
std::string TIWZQJQCustomFileUpload::jsGetInProgress() {
  return SafeExecJavascript(Format("%s.getInProgress();", GetFileUploadJQObj()));
}
std::string TIWZQJQCustomFileUpload::jsCancelFileUpload(int AId) {
  if (!GetUploadingFileList()->GetItemByFileId(AId))
    throw Exception(Format("The upload is not found for File ID: %d", AId));
  return SafeExecJavascript(Format("%s.cancelUpload(%d);", GetFileUploadJQObj(), AId));
}
void TIWZQJQCustomFileUpload::CancelFileUpload(int AId) {
  AddJavaScriptToResponse(jsCancelFileUpload(AId), true, true);
}

std::string TIWZQJQCustomFileUpload::jsSetEnabled(bool AFlag) {
  const std::string name = GetJQHTMLName();
  const std::string button = GetJQFileUploadOptions()->GetClasses()->GetButton();
  return Format("%s(\"#%s .%s\").%s(\"%s\");", ZQJQuery, name, button,
                AFlag ? "removeClass" : "addClass", "ui-state-disabled") +
         Br() +
         Format("%s(\"#%s .%s input\").%s.css(\"cursor\",\"%s\");", ZQJQuery, name, button,
                AFlag ? "removeAttr(\"disabled\")" : "attr(\"disabled\",\"disabled\")",
                AFlag ? "pointer" : "default") +
         Br();
}

// ---- the upload handler

void TIWZQJQCustomFileUpload::ActionUploadHandler(const std::string& AAction, TStringList* AParams,
                                                  THTTPRequest& ARequest, THTTPReply& AReply) {
  (void)AAction, (void)AParams;
  TIWApplication* app = GetIWApplication();
  if (!app) app = gGetWebApplicationThreadVar();
  const bool isIE = app && app->Browser().IsInternetExplorer();
  TIWZQJQFileUploadOptions* o = GetJQFileUploadOptions();
  TZQUploadSettings s;
  s.Folder = UploadFolder();
  s.InputName = o->GetInputName();
  s.SizeLimit = o->GetSizeLimit() > 0 ? static_cast<std::uint64_t>(o->GetSizeLimit()) : 0;
  s.CanOverrideFile = o->GetCanOverrideFile();
  if (OnGetFileName)
    s.OnGetFileName = [this](std::string& APath, std::string& AName) {
      OnGetFileName(this, APath, AName);
    };
  try {
    TZQUploadResult r = ZQReceiveUpload(ARequest, s);
    FFileNames.Add(r.FileName + "=" + r.Path);
    ZQUploadReplySuccess(AReply, isIE);
  } catch (const Exception& e) {
    ZQUploadReplyFailure(AReply, e.what(), isIE);
    throw;
  }
}

// ---- rendering

void TIWZQJQCustomFileUpload::GetScriptLinks(TStringList& AList) {
  TIWZQJQContainer::GetScriptLinks(AList);
  AList.Add(
      ZQMinFile("jquery_ui/plugins/fileuploader.js", "jquery_ui/plugins/fileuploader.min.js"));
}

std::unique_ptr<TIWHTMLTag> TIWZQJQCustomFileUpload::RenderHTML(TIWCompContext& AContext) {
  std::unique_ptr<TIWHTMLTag> tag = TIWZQJQContainer::RenderHTML(AContext);
  ZQAddLinkFile(AContext, ZQCssUrlBase, ZQMinFile("fileuploader.css", "fileuploader.min.css"),
                Designing());
  FFileNames.Clear();
  return tag;
}

std::string TIWZQJQCustomFileUpload::GetRenderScript() {
  std::string r = TIWZQJQContainer::GetRenderScript();
  const std::string name = GetJQHTMLName();
  if (Designing()) {
    r += JQueryReady(false) + "function (){" + Br();
    r += Format("%s(\"#%s\").button();", ZQJQuery, name + "_DesignBtn") + Br();
    r += std::string("});") + Br();
    return r;
  }
  const std::string obj = GetFileUploadJQObj();
  r += Format("var %s = null;", obj) + Br();
  r += JQueryReady(false) + "function (){" + Br();
  r += Format("if (%s.length) {", GetIDJQuery()) + Br();
  r += Format("%s = new qq.FileUploader(", obj) + OptionText(GetJQFileUploadOptions()) + ");" +
       (ZQJavascriptDebug() ? "\r\n" + JQIdent(1) : std::string());
  if (!GetMobile()) {
    r += Format("%s(\"#%s .%s\").addClass(\"%s\");", ZQJQuery, name,
                GetJQFileUploadOptions()->GetClasses()->GetButton(),
                "ui-button ui-widget ui-state-default ui-corner-all") +
         Br();
    if (!Enabled) r += jsSetEnabled(false);
  }
  r += std::string("}") + Br();
  r += std::string("});") + Br();
  return r;
}

void TIWZQJQCustomFileUpload::GetInputControlNames(std::vector<std::string>& AList) {
  TIWZQJQContainer::GetInputControlNames(AList);
  AList.push_back(StoredFilesInputName());
}

void TIWZQJQCustomFileUpload::SetValueByName(const std::string& AName, const std::string& AValue) {
  TIWZQJQContainer::SetValueByName(AName, AValue);
  if (AName != StoredFilesInputName()) return;
  TIWZQJQUploadingFileList* list = GetUploadingFileList();
  list->Clear();
  ISuperObject json = SO(AValue);
  if (!json || json->GetDataType() != stArray) return;
  TSuperArray* a = json->AsArray();
  for (std::size_t i = 0; i < a->Length(); ++i) {
    ISuperObject e = a->GetO(i);
    if (!SOIsObject(e)) continue;
    ISuperObject id = e->GetO("id");
    if (!id || id->GetDataType() != stInt || id->AsInteger() < 0 || id->AsInteger() > INT32_MAX)
      continue;
    TIWZQJQUploadingFileItem* item = list->Add();
    item->SetFileId(static_cast<int>(id->AsInteger()));
    item->SetFileName(e->GetS("filename"));
  }
}

std::string TIWZQJQCustomFileUpload::GetPluginDestroyJs() {
  std::string r;
  if (FUploadingFileList)
    for (int i = 0; i < FUploadingFileList->Count(); ++i)
      r += jsCancelFileUpload(FUploadingFileList->Items(i)->GetFileId()) + Br();
  return r + TIWZQJQContainer::GetPluginDestroyJs();
}

}  // namespace zq
