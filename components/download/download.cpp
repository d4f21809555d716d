#include "components/download/download.h"

#include <algorithm>
#include <fstream>

#include "events/func.h"
#include "foundation/datetime.h"
#include "foundation/jqcommon.h"
#include "foundation/mimetypes.h"
#include "foundation/paramlist.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "framework/links.h"
#include "host/application.h"
#include "host/http.h"
#include "host/zqhelpers.h"
#include "options/jsonlist.h"

namespace zq {

std::chrono::seconds ZQDownloadPendingMaxAge{15 * 60};
std::size_t ZQDownloadPendingMax = 64;

ZQ_IMPLEMENT_CLASS(TIWZQJQDownloadOptions) {
  using O = TIWZQJQDownloadOptions;
  ZQ_JSON_PROP(c, "PreparingMessageHtml", O::kPreparingMessageHtml, String);
  ZQ_JSON_PROP(c, "FailMessageHtml", O::kFailMessageHtml, String);
  ZQ_JSON_PROP(c, "AndroidPostUnsupportedMessageHtml", O::kAndroidPostUnsupportedMessageHtml,
               String);
  ZQ_JSON_FUNCPROP(c, "OnSuccess", O::kOnSuccess);
  ZQ_JSON_FUNCPROP(c, "OnFail", O::kOnFail);
  c.Prop("HttpMethod", O::kHttpMethod, &TIWZQJSon::GetEnumerAs<TIWZQJQDownloadOptionsHttpMethod>,
         &TIWZQJSon::SetEnumerAs<TIWZQJQDownloadOptionsHttpMethod>)
      .Stored(&TIWZQJSon::IsEnumerStored);
  ZQ_JSON_OBJPROP(c, "Data", O::kData, DynObjList);
  ZQ_JSON_PROP(c, "CheckInterval", O::kCheckInterval, Integer);
  ZQ_JSON_PROP(c, "CookieName", O::kCookieName, String);
  ZQ_JSON_PROP(c, "CookieValue", O::kCookieValue, String);
  ZQ_JSON_PROP(c, "CookiePath", O::kCookiePath, String);
  ZQ_JSON_PROP(c, "PopupWindowTitle", O::kPopupWindowTitle, String);
  ZQ_JSON_PROP(c, "EncodeHTMLEntities", O::kEncodeHTMLEntities, Boolean);
  ZQ_JSON_FUNCPROP(c, "OnPrepareCallback", O::kOnPrepareCallback);
  ZQ_JSON_PROP(c, "AlertOnFail", O::kAlertOnFail, Boolean);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQCustomDownload) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQDownload) {
  c.Prop("OnGetContentType", &TIWZQJQDownload::OnGetContentType);
}

// ---------------------------------------------------------------- options

TIWZQJQDownloadOptions::TIWZQJQDownloadOptions(TCollection* Collection) : TIWZQJSon(Collection) {}

void TIWZQJQDownloadOptions::AddMembers() {
  TIWZQJSon::AddMembers();
  AddStringMember("preparingMessageHtml", "", false, true);
  AddStringMember("failMessageHtml", "", false, true);
  AddStringMember("androidPostUnsupportedMessageHtml",
                  "Unfortunately your Android browser doesn't support this type of file download. "
                  "Please try again "
                  "with a different browser.",
                  false, true);
  AddFuncMember("successCallback", "url", "", false, nullptr, false, true);
  AddFuncMember("failCallback", "responseHtml, url", "", true, nullptr, false, true);
  AddEnumMember("httpMethod", {"GET", "POST"}, jqfdhmGET, false, true);
  AddDynObjListMember("data", false, true);
  AddIntegerMember("checkInterval", 100, false, true);
  AddStringMember("cookieName", "fileDownload", false, true);
  AddStringMember("cookieValue", "true", false, true);
  AddStringMember("cookiePath", "/", false, true);
  AddStringMember("popupWindowTitle", "Initiating file download...", false, true);
  AddBooleanMember("encodeHTMLEntities", true, false, true);
  AddFuncMember("prepareCallback", "url", "", false, nullptr, false, true);
  AddBooleanMember("alertoOnFail", false, false, false);
}

TIWZQJSonFunc* TIWZQJQDownloadOptions::GetOnSuccess() {
  return dynamic_cast<TIWZQJSonFunc*>(GetFuncValue(kOnSuccess));
}
TIWZQJSonFunc* TIWZQJQDownloadOptions::GetOnFail() {
  return dynamic_cast<TIWZQJSonFunc*>(GetFuncValue(kOnFail));
}
TIWZQJSonFunc* TIWZQJQDownloadOptions::GetOnPrepareCallback() {
  return dynamic_cast<TIWZQJSonFunc*>(GetFuncValue(kOnPrepareCallback));
}

TIWZQJQCustomDownload* TIWZQJQDownloadOptions::GetJQDownload() {
  return dynamic_cast<TIWZQJQCustomDownload*>(GetImplComponent());
}

bool TIWZQJQDownloadOptions::JSonIdent() {
  return ::zq::JSonIdent();
}

std::string TIWZQJQDownloadOptions::GetFixedScript(TObject* AFunc, bool& AFlag) {
  AFlag = false;  // after the user's script
  auto* f = dynamic_cast<TIWZQJSonFunc*>(AFunc);
  if (f && f->Member() && f->Member()->Name() == "failCallback" && GetAlertOnFail())
    return Format("alert(%s(responseHtml)[0].outerHTML);", ZQJQuery);
  return {};
}

// ---------------------------------------------------------------- pending list

TIWZQJQDownloadItem* TIWZQJQDownloadList::Add(std::unique_ptr<TIWZQJQDownloadItem> AItem) {
  FItems.push_back(std::move(AItem));
  return FItems.back().get();
}

int TIWZQJQDownloadList::IndexOfUID(const std::string& AUID) const {
  for (int i = Count() - 1; i >= 0; --i)
    if (FItems[static_cast<std::size_t>(i)]->FUID == AUID) return i;
  return -1;
}

TIWZQJQDownloadItem* TIWZQJQDownloadList::GetItemByUID(const std::string& AUID) const {
  int i = IndexOfUID(AUID);
  return i < 0 ? nullptr : Items(i);
}

void TIWZQJQDownloadList::Remove(const TIWZQJQDownloadItem* AItem) {
  FItems.erase(
      std::remove_if(FItems.begin(), FItems.end(), [&](const auto& p) { return p.get() == AItem; }),
      FItems.end());
}

void TIWZQJQDownloadList::Prune(std::chrono::steady_clock::time_point ANow,
                                std::chrono::steady_clock::duration AMaxAge,
                                std::size_t AMaxCount) {
  FItems.erase(std::remove_if(FItems.begin(), FItems.end(),
                              [&](const auto& p) { return ANow - p->FCreated > AMaxAge; }),
               FItems.end());
  if (FItems.size() > AMaxCount)
    FItems.erase(FItems.begin(),
                 FItems.begin() + static_cast<std::ptrdiff_t>(FItems.size() - AMaxCount));
}

// ---------------------------------------------------------------- replies

void ZQSendReplyStream(THTTPReply& AReply, std::unique_ptr<std::istream> AStream,
                       std::optional<std::uint64_t> ASize) {
  // The server asks for the next chunk only once the previous one is written.
  std::shared_ptr<std::istream> in(std::move(AStream));
  AReply.SendStream(
      std::make_unique<TFunctionReplyStream>([in](char* buffer, size_t size) -> size_t {
        in->read(buffer, static_cast<std::streamsize>(size));
        if (in->bad()) throw EIWZQJQuery("The file can not be returned by server!");
        return static_cast<size_t>(std::max<std::streamsize>(in->gcount(), 0));
      }),
      ASize);
}

std::string ZQDownloadFileNamePart(const std::string& AName) {
  std::size_t p = AName.find_last_of("/\\:");
  return p == std::string::npos ? AName : AName.substr(p + 1);
}

std::string ZQContentDisposition(const std::string& AFileName) {
  std::string ascii;
  for (unsigned char c : AFileName) {
    bool plain = c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != ';' && c != '%';
    ascii.push_back(plain ? static_cast<char>(c) : '_');
  }
  return "attachment;filename=\"" + ascii + "\";filename*=UTF-8''" + HTTPEncode(AFileName);
}

// ---------------------------------------------------------------- component

std::string JQFileDownloadJS() {
  return ZQMinFile("jquery_ui/plugins/jquery.filedownload.js",
                   "jquery_ui/plugins/jquery.filedownload.min.js");
}

TIWZQJQCustomDownload::TIWZQJQCustomDownload(TComponent* AOwner) : TIWZQJQComponent(AOwner) {}

void TIWZQJQCustomDownload::AfterConstruction() {
  TIWZQJQComponent::AfterConstruction();
  if (Designing()) return;
  TIWApplication* app = GetIWApplication();
  FMapUrl = AddZQJQMapEvent(GetMapID(), "GetFile", app ? app->AppID() : std::string(),
                            TIWZQJQMapEvent(this, &TIWZQJQCustomDownload::UrlHandler), mrtText);
}

TIWZQJQCustomDownload::~TIWZQJQCustomDownload() {
  if (!FMapUrl.empty()) DelZQJQMapEvent(FMapID, "GetFile");
  FJQDownloadOptions.reset();
  FInternalMapFileList.reset();
}

const std::string& TIWZQJQCustomDownload::GetMapID() {
  if (FMapID.empty()) FMapID = ZQNewGUIDHTMLMapID();
  return FMapID;
}

TIWZQJQDownloadOptions* TIWZQJQCustomDownload::GetJQDownloadOptions() {
  if (!FJQDownloadOptions)
    FJQDownloadOptions.reset(
        TIWZQJSon::CreateSingle<TIWZQJQDownloadOptions>(this, "JQFileDownloadOptions"));
  return FJQDownloadOptions.get();
}

void TIWZQJQCustomDownload::SetJQDownloadOptions(TIWZQJQDownloadOptions* AValue) {
  GetJQDownloadOptions()->Assign(AValue);
}

TIWZQJQDownloadList& TIWZQJQCustomDownload::List() {
  if (!FInternalMapFileList) FInternalMapFileList = std::make_unique<TIWZQJQDownloadList>();
  return *FInternalMapFileList;
}

std::string TIWZQJQCustomDownload::OptionsJSon() {
  std::string json = GetJQDownloadOptions()->GetJSonText();
  return json.empty() ? "{}" : json;
}

TIWZQJQDownloadItem* TIWZQJQCustomDownload::AddItem(std::unique_ptr<TIWZQJQDownloadItem> AItem) {
  List().Prune(std::chrono::steady_clock::now(), ZQDownloadPendingMaxAge,
               ZQDownloadPendingMax > 0 ? ZQDownloadPendingMax - 1 : 0);
  AItem->FUID = ZQNewGUIDHTMLMapID();
  return List().Add(std::move(AItem));
}

std::string TIWZQJQCustomDownload::jsDownloadFileName(const std::string& AServerFilename,
                                                      const std::string& ABrowserFileName) {
  auto item = std::make_unique<TIWZQJQDownloadItem>();
  // The server's path delimiter is "/": a "\" written for another system is
  // taken as one.
  item->FServerFileName = AServerFilename;
  std::replace(item->FServerFileName.begin(), item->FServerFileName.end(), '\\', '/');
  item->FBrowserFileName = ABrowserFileName;
  TIWZQJQDownloadItem* added = AddItem(std::move(item));
  return Format("%s('%s');", GetDownloadFuncName(), added->FUID);
}

std::string TIWZQJQCustomDownload::jsDownloadStream(TZQDownloadStreamFactory AOpen,
                                                    const std::string& ABrowserFileName) {
  auto item = std::make_unique<TIWZQJQDownloadItem>();
  item->FStream = std::move(AOpen);
  item->FBrowserFileName = ABrowserFileName.empty() ? std::string("download") : ABrowserFileName;
  TIWZQJQDownloadItem* added = AddItem(std::move(item));
  return Format("%s('%s');", GetDownloadFuncName(), added->FUID);
}

std::string TIWZQJQCustomDownload::jsDownloadUrl(const std::string& AUrl) {
  if (AUrl.empty()) return {};
  std::string url = AUrl;
  std::replace(url.begin(), url.end(), '\\', '/');
  return Format("%s.fileDownload(%s,%s);", ZQJQuery, ZQJsEscape(url), OptionsJSon()) +
         ZQIfDebug("\r\n");
}

void TIWZQJQCustomDownload::DownloadFileName(const std::string& AFilename,
                                             const std::string& ABrowserFileName) {
  AddJavaScriptToResponse(jsDownloadFileName(AFilename, ABrowserFileName), false, true);
}

void TIWZQJQCustomDownload::DownloadStream(TZQDownloadStreamFactory AOpen,
                                           const std::string& ABrowserFileName) {
  AddJavaScriptToResponse(jsDownloadStream(std::move(AOpen), ABrowserFileName), false, true);
}

void TIWZQJQCustomDownload::DownloadUrl(const std::string& AUrl) {
  std::string js = jsDownloadUrl(AUrl);
  if (!js.empty()) AddJavaScriptToResponse(js, false, true);
}

void TIWZQJQCustomDownload::GetScriptLinks(TStringList& AList) {
  TIWZQJQComponent::GetScriptLinks(AList);
  AList.Add(JQFileDownloadJS());
}

std::string TIWZQJQCustomDownload::GetRenderScript() {
  return TIWZQJQComponent::GetRenderScript() + Format("function %s(fid){", GetDownloadFuncName()) +
         ZQIfDebug("\r\n") +
         Format("%s.fileDownload(%s", ZQJQuery, ZQJsEscape(FMapUrl + "/?fid=")) +
         "+encodeURIComponent(fid)," + OptionsJSon() + ");" + ZQIfDebug("\r\n") + JQIdent(1) + "}";
}

std::string TIWZQJQCustomDownload::GetDocumentationLink() {
  return "docs/components/download.md";
}

namespace {

// A boolean parameter through the one parameter reader; anything it does not
// read is false.
bool ParamBool(const std::string& AText) {
  bool value = false;
  return ZQTryParamToBool(AText, value) && value;
}

}  // namespace

void TIWZQJQCustomDownload::UrlHandler(const std::string& AAction, TStringList* AParams,
                                       THTTPRequest& ARequest, THTTPReply& AResponse) {
  (void)AAction;
  // 1. the fid
  const std::string fid = AParams ? AParams->Values("fid") : std::string();
  if (FInternalMapFileList)
    FInternalMapFileList->Prune(std::chrono::steady_clock::now(), ZQDownloadPendingMaxAge,
                                ZQDownloadPendingMax);
  // Once a download was registered the list stays (possibly empty), so that
  // a fid served before, or dropped as stale, is reported as unknown.
  if (!FInternalMapFileList || fid.empty())
    throw EIWZQJQuery("The file can not be returned by server!");
  // 2. the item
  TIWZQJQDownloadItem* item = FInternalMapFileList->GetItemByUID(fid);
  if (!item) throw EIWZQJQuery("Detected hacking attempt on file request!");
  item->FState = zqdisMarkToRemove;
  // 3. an Android browser without the cookie may come again
  const bool android = ParamBool(AParams->Values("android"));
  const bool cookie = ParamBool(ARequest.GetCookie("fileDownload"));
  if (android && !cookie) item->FState = zqdisNew;
  // 4. open the content; a failure keeps the item and names no server path
  std::unique_ptr<std::istream> stream;
  std::unique_ptr<TFileReplyStream> file;
  if (item->FStream) {
    stream = item->FStream();
    if (!stream || !*stream) throw EIWZQJQuery("The file can not be returned by server!");
  } else {
    try {
      file = std::make_unique<TFileReplyStream>(item->FServerFileName);
    } catch (const Exception&) {
      throw EIWZQJQuery("The file can not be returned by server!");
    }
  }
  // 5. from here on a failure drops the item
  try {
    // 6. content type
    std::string name =
        item->FBrowserFileName.empty() ? item->FServerFileName : item->FBrowserFileName;
    std::string type = DoFileNameToContentType(name);
    AResponse.SetContentType(type.empty() ? "application/octet-stream" : type);
    // 7, 8. the name, in a header no name can break
    AResponse.SetHeader("Content-Disposition", ZQContentDisposition(ZQDownloadFileNamePart(name)));
    AResponse.SetHeader("Cache-Control", "no-store");
    // 10 (before the body, which the plug-in's success check depends on).
    TIWZQJQDownloadOptions* o = GetJQDownloadOptions();
    if (!o->GetCookieName().empty())
      ZQSetCookieValue(o->GetCookieName(), o->GetCookieValue(), &AResponse,
                       TDateTime(Now().Value + 1), o->GetCookiePath());
    // 9. the body, sent in chunks by the server
    if (file) {
      std::uint64_t length = file->Length();
      AResponse.SendStream(std::move(file), length);
    } else {
      ZQSendReplyStream(AResponse, std::move(stream), std::nullopt);
    }
  } catch (...) {
    FInternalMapFileList->Remove(item);
    throw;
  }
  if (item->FState == zqdisMarkToRemove) FInternalMapFileList->Remove(item);
}

std::string TIWZQJQCustomDownload::DoFileNameToContentType(const std::string& AFileName) {
  if (OnGetContentType) {
    std::string type;
    OnGetContentType(this, AFileName, type);
    if (!type.empty()) return type;
  }
  std::string part = ZQDownloadFileNamePart(AFileName);
  std::size_t dot = part.rfind('.');
  if (dot == std::string::npos) return {};
  return ZQGetContentTypeForExtension(part.substr(dot));
}

}  // namespace zq
