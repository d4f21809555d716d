#include "components/signature/signature.h"

#include <filesystem>
#include <sstream>

#include "actionmap/map.h"
#include "events/jscript.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "foundation/superobject.h"
#include "framework/links.h"
#include "framework/style.h"
#include "host/application.h"
#include "host/http.h"
#include "host/zqhelpers.h"

namespace zq {

namespace fs = std::filesystem;

ZQ_IMPLEMENT_OPTIONS(TIWZQJQSignatureOptions) {
  c.Prop("Width", TIWZQJQSignatureOptions::kWidth, &TIWZQJQSignatureOptions::GetWidth,
         &TIWZQJQSignatureOptions::SetWidth);
}
ZQ_IMPLEMENT_CLASS(TIWZQSignatureFunc) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQCustomSignature) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQSignature) {
  c.Prop("JQSignatureOptions", &TIWZQJQSignature::GetJQSignatureOptions,
         &TIWZQJQSignature::SetJQSignatureOptions);
  c.Prop("OnSaveSuccess", &TIWZQJQSignature::GetOnSaveSuccess, nullptr);
  c.Prop("OnSaveError", &TIWZQJQSignature::GetOnSaveError, nullptr);
  c.Prop("OnSaveToStream", &TIWZQJQSignature::OnSaveToStream);
  c.Prop("OnFileSaved", &TIWZQJQSignature::OnFileSaved);
}

const std::string& IWZQJQSignatureDataTypeStr(TIWZQJQSignatureDataType AType) {
  return ZqEnumJSonTexts(AType)[static_cast<std::size_t>(AType)];
}

namespace {
const char* Br() {
  return ZQJavascriptDebug() ? "\r\n" : "";
}
}  // namespace

// ---------------------------------------------------------------- options

TIWZQJQCustomSignature* TIWZQJQSignatureOptions::GetJQSignature() {
  return dynamic_cast<TIWZQJQCustomSignature*>(GetOwner());
}

TIWZQJQCustomSignature& TIWZQJQSignatureOptions::Control() {
  TIWZQJQCustomSignature* c = GetJQSignature();
  if (!c) throw EInvalidCast("Invalid class typecast");
  return *c;
}

std::string TIWZQJQSignatureOptions::jsClear() {
  return Control().GetIDJQuery() + ".jSignature(\"reset\");";
}
void TIWZQJQSignatureOptions::Clear() {
  Control().AddJavaScriptToResponse(jsClear(), true, true);
}

std::string TIWZQJQSignatureOptions::jsSetEnable(bool AFlag) {
  return Control().GetIDJQuery() +
         (AFlag ? ".jSignature(\"enable\");" : ".jSignature(\"disable\");");
}
void TIWZQJQSignatureOptions::SetEnable(bool AFlag) {
  Control().AddJavaScriptToResponse(jsSetEnable(AFlag), true, true);
}

std::string TIWZQJQSignatureOptions::jsSetData(const std::string& AData) {
  const std::string trimmed = ZQTrim(AData);
  const std::string data = trimmed.find("data:") == std::string::npos ? "data:" + trimmed : trimmed;
  return Format("%s.jSignature(\"setData\",%s);", Control().GetIDJQuery(), ZQJsEscape(data));
}
void TIWZQJQSignatureOptions::LoadData(const std::string& AData) {
  Control().AddJavaScriptToResponse(jsSetData(AData), true, true);
}

std::string TIWZQJQSignatureOptions::jsGetData(TIWZQJQSignatureDataType AType, bool ACloseLine) {
  const std::string& text = IWZQJQSignatureDataTypeStr(AType);
  std::string r = Format("%s.jSignature(\"getData\"%s)", Control().GetIDJQuery(),
                         text.empty() ? std::string() : "," + ZQJsEscape(text));
  if (ACloseLine) r += ";";
  return r;
}

namespace {
IIWZQJQCustomImageInterface* ImageOf(TIWZQJSContainer* AImage) {
  auto* intf = dynamic_cast<IIWZQJQCustomImageInterface*>(AImage);
  if (!intf) throw EIWZQJQuery("The image does not support IIWZQJQCustomImageInterface interface!");
  return intf;
}
}  // namespace

void TIWZQJQSignatureOptions::DataToImage(const std::string& AData, TIWZQJQSignatureDataType AType,
                                          TIWZQJSContainer* AImage) {
  using T = TIWZQJQSignatureDataType;
  if (AData.empty()) throw EIWZQJQuery("No data specified.");
  ImageOf(AImage);
  if (AType != T::jqsdfSVG && AType != T::jqsdfSVG_Base64 && AType != T::jqsdfImage &&
      AType != T::jqsdfImageSVG_XML && AType != T::jqsdfImageSVG_XML_Base64)
    throw EIWZQJQuery(Format("Invalid Data image type \"%s\".", IWZQJQSignatureDataTypeStr(AType)));
  std::string source;
  if (AType == T::jqsdfImage) {
    source = ZQJsEscape("data:" + AData);
  } else {
    // head "," body; further parts are dropped.
    const auto comma = AData.find(',');
    const std::string head = ZQTrim(AData.substr(0, comma));
    std::string body;
    if (comma != std::string::npos) {
      const auto next = AData.find(',', comma + 1);
      body =
          AData.substr(comma + 1, next == std::string::npos ? std::string::npos : next - comma - 1);
    }
    if (AType == T::jqsdfSVG_Base64 || AType == T::jqsdfImageSVG_XML_Base64)
      source = ZQJsEscape("data:" + head + "," + ZQTrim(body));
    else  // plain SVG text: encoded in the browser
      source = ZQJsEscape("data:" + head + ";base64,") + "+ btoa(" + ZQJsEscape(body) + ")";
  }
  std::string script = Format("var %s = %s;", "imageRealSource", source) +
                       Format("%s.attr(\"src\",%s);", AImage->GetIDJQuery(), "imageRealSource");
  Control().AddJavaScriptToResponse(script, false, true);
}

void TIWZQJQSignatureOptions::ExportToImage(TIWZQJSContainer* AImage) {
  if (!AImage) throw EIWZQJQuery("You have that specify the image!");
  ImageOf(AImage);
  TIWZQJQCustomSignature& c = Control();
  TIWZQJScript js;
  js.AddF("var %s_DATA = %s", c.GetJQHTMLName(),
          jsGetData(TIWZQJQSignatureDataType::jqsdfImage, true));
  js.AddF("%s.attr(\"src\",\"data:\"+ %s_DATA);", AImage->GetIDJQuery(), c.GetJQHTMLName());
  c.AddJavaScriptToResponse(js.GetJoined(), false, true);
}

bool TIWZQJQSignatureOptions::GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) {
  if (TIWZQJSon::GetCustomJq(APropName, AJSon)) return true;
  return APropName == "Width";  // written by GetJSon as "100%"
}

ISuperObject TIWZQJQSignatureOptions::GetJSon() {
  ISuperObject json = TIWZQJSon::GetJSon();
  if (!json) json = SO();
  json->AsObject()->Delete("width");
  if (GetUseNativeUndoButton()) {
    json->PutB("UndoButton", true);
  } else if (FUndoControl) {
    json->PutO("UndoButton",
               TSuperObject::Create(std::string("function() {") + Br() + " return " +
                                        FUndoControl->GetIDJQuery() + ";" + Br() + "}",
                                    true));
  }
  json->PutS("width", "100%");
  return json;
}

// ---------------------------------------------------------------- functions

TIWZQSignatureFunc::TIWZQSignatureFunc(TPersistent* AOwner, std::string AArgs,
                                       std::string APropName)
    : TIWZQFunc(AOwner, std::move(APropName)), FArgs(std::move(AArgs)) {}

std::string TIWZQSignatureFunc::GetScriptDeclaration(bool AForExecute) {
  if (AForExecute) return Format("function(%s){", FArgs);
  return TIWZQFunc::GetScriptDeclaration(AForExecute);
}

std::string TIWZQSignatureFunc::GetBaseScript(bool AForExecute) {
  std::string base = TIWZQFunc::GetBaseScript(AForExecute);
  if (base.empty()) return GetScriptDeclaration(AForExecute) + "}";
  if (base.find('{') == std::string::npos) return base;
  return base.substr(0, base.rfind('}') + 1);
}

std::string TIWZQSignatureFunc::HandlerScript() {
  const std::string s = GetScriptToExecute();
  if (s.empty() || s.rfind("function", 0) == 0) return s;
  return GetScriptDeclaration(true) + s + "}";
}

// ---------------------------------------------------------------- control

TIWZQJQCustomSignature::TIWZQJQCustomSignature(TComponent* AOwner) : TIWZQJQContainer(AOwner) {
  SetCss(IWZQJQControlCss);
  ClipRegion = false;
  BorderOptions().Style = TIWBorderStyle::bsSolid;
  BorderOptions().BorderWidth = 1;
  SetBounds(Left, Top, 300, 100);
}

TIWZQJQCustomSignature::~TIWZQJQCustomSignature() = default;

void TIWZQJQCustomSignature::BeforeDestruction() {
  // No later post may reach a control that is gone.
  if (!FPostUrl.empty() && !Designing()) DelZQJQMapEvent(FMapID, "PostFormData");
  TIWZQJQContainer::BeforeDestruction();
}

TIWZQJQSignatureOptions* TIWZQJQCustomSignature::GetJQSignatureOptions() {
  if (!FOptions)
    FOptions.reset(TIWZQJSon::CreateSingle(GetOptionsClass(), this, "JQSignatureOptions"));
  return static_cast<TIWZQJQSignatureOptions*>(FOptions.get());
}
void TIWZQJQCustomSignature::SetJQSignatureOptions(TIWZQJQSignatureOptions* AValue) {
  GetJQSignatureOptions()->Assign(AValue);
}

TIWZQSignatureFunc* TIWZQJQCustomSignature::GetOnSaveSuccess() {
  if (!FOnSaveSuccess) {
    FOnSaveSuccess.reset(
        Create<TIWZQSignatureFunc>(this, "data,textStatus,jqXHR", "OnSaveSuccess"));
    FOnSaveSuccess->SetAjax(true);
  }
  return FOnSaveSuccess.get();
}
TIWZQSignatureFunc* TIWZQJQCustomSignature::GetOnSaveError() {
  if (!FOnSaveError) {
    FOnSaveError.reset(
        Create<TIWZQSignatureFunc>(this, "jqXHR,textStatus,errorThrown", "OnSaveError"));
    FOnSaveError->SetAjax(true);
  }
  return FOnSaveError.get();
}

void TIWZQJQCustomSignature::GetScriptLinks(TStringList& AList) {
  TIWZQJQContainer::GetScriptLinks(AList);
  AList.Add(ZQMinFile("jSignature/jSignature.js", "jSignature/jSignature.min.js"));
  AList.Add("jSignature/jSignature.UndoButton.js");
  AList.Add("jSignature/jSignature.CompressorSVG.js");
  AList.Add("jSignature/jSignature.CompressorBase30.js");
}

std::string TIWZQJQCustomSignature::GetRenderScript() {
  std::string r = TIWZQJQContainer::GetRenderScript();
  if (GetMobile()) return r;
  r += JQueryReady(false) + "function(){" + Br();
  r +=
      Format("%s(\"#%s\").jSignature(%s);", ZQJQuery, GetJQHTMLName(),
             ZQOptionJSonText(GetJQSignatureOptions()->GetJSon(), JSonIdent(), JSonEscape(), true));
  r += std::string("});") + Br();
  return r;
}

void TIWZQJQCustomSignature::AfterSetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TIWZQJQContainer::AfterSetBounds(ALeft, ATop, AWidth, AHeight);
  GetJQSignatureOptions()->SetHeight(Height);
}

void TIWZQJQCustomSignature::Notification(TComponent* AComponent, TOperation Operation) {
  TIWZQJQContainer::Notification(AComponent, Operation);
  if (Operation == opRemove && FOptions && !HasState(csDestroying) &&
      AComponent == GetJQSignatureOptions()->GetUndoControl())
    GetJQSignatureOptions()->SetUndoControl(nullptr);
}

const std::string& TIWZQJQCustomSignature::GetMapID() {
  if (FMapID.empty()) FMapID = ZQNewGUIDHTMLMapID();
  return FMapID;
}

std::string TIWZQJQCustomSignature::GetPostFormUrl() {
  if (FPostUrl.empty()) {
    TIWApplication* app = GetIWApplication();
    if (!app) app = gGetWebApplicationThreadVar();
    // Refused posts are answered {success:false,error:"..."}.
    FPostUrl =
        AddZQJQMapEvent(GetMapID(), "PostFormData", app ? app->AppID() : std::string(),
                        TIWZQJQMapEvent(this, &TIWZQJQCustomSignature::UrlGetHandler), mrtJSon);
  }
  return FPostUrl;
}

void TIWZQJQCustomSignature::SaveAsImage(const std::string& AFileName) {
  if (AFileName.empty()) throw Exception("The file name can't be empty!");
  std::string ext = fs::path(AFileName).extension().string();
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (ext != ".png") throw Exception("Image format is not allowed!\r\nAllowed format: PNG");
  const std::string url = GetPostFormUrl();
  ISuperObject form = SO();
  form->PutS("action", url);
  form->PutS("method", "post");
  ISuperObject data = SO();
  data->PutS("name", "signdata");
  data->PutS("type", "hidden");
  data->PutO("value", TSuperObject::Create("lsigndata", true));
  ISuperObject file = SO();
  file->PutS("name", "filename");
  file->PutS("type", "hidden");
  file->PutS("value", AFileName);
  ISuperObject handlers = SO();
  for (auto [func, name] :
       {std::pair{FOnSaveSuccess.get(), "success"}, std::pair{FOnSaveError.get(), "error"}}) {
    const std::string s = func ? func->HandlerScript() : std::string();
    if (!s.empty()) handlers->PutO(name, TSuperObject::Create(s, true));
  }
  TIWZQJScript js;
  js.AddF("var lsigndata = %s;",
          GetJQSignatureOptions()->jsGetData(TIWZQJQSignatureDataType::jqsdfImage, false));
  js.AddF("var newForm = %s(\"<form>\",%s);", ZQJQuery, form->AsJSon(false, true, true));
  js.AddF("newForm.append(%s(\"<input>\",%s));", ZQJQuery, data->AsJSon(false, true, true));
  js.AddF("newForm.append(%s(\"<input>\",%s));", ZQJQuery, file->AsJSon(false, true, true));
  js.AddF("newForm.ajaxForm(%s);",
          ZQOptionJSonText(handlers, JSonIdent(), JSonEscape(), JSonNameQuote()));
  js.Add("newForm.submit();");
  FPendingSaveName = AFileName;
  AddJavaScriptToAjaxResponse(js.GetJoined(), true, true);
}

void TIWZQJQCustomSignature::UrlGetHandler(const std::string&, TStringList* AParams, THTTPRequest&,
                                           THTTPReply& AResponse) {
  DoSaveImage(AParams);
  AResponse.SetCode(200);
  // The form plug-in lets jQuery read the reply by its content type: strict
  // JSON, so that the success handler gets {success:true} as an object.
  ISuperObject ok = SO();
  ok->PutB("success", true);
  AResponse.SetContentType("application/json");
  AResponse.SetBody(ok->AsJSon(false, true, true));
  if (OnFileSaved) OnFileSaved(this, AParams->Values("filename"));
}

void TIWZQJQCustomSignature::DoSaveImage(TStringList* AParams) {
  const std::string name = AParams ? AParams->Values("filename") : std::string();
  std::string data = AParams ? AParams->Values("signdata") : std::string();
  // Only the one name SaveAsImage recorded, and only once.
  if (name.empty() || FPendingSaveName.empty() || name != FPendingSaveName)
    throw EIWZQJQuery(Format("Invalid file name: \"%s\"!", name));
  const std::string target = FPendingSaveName;
  FPendingSaveName.clear();
  if (const auto comma = data.find(','); comma != std::string::npos) data.erase(0, comma + 1);
  const std::string bytes = ZQBase64Decode(data);  // malformed data raises here
  if (bytes.empty()) throw EIWZQJQuery("No image data!");
  const fs::path path(target);
  if (OnSaveToStream) {
    std::istringstream stream(bytes);
    OnSaveToStream(this, target, stream);
    return;
  }
  // The folder the application named is created; the browser names nothing.
  std::string folder = path.parent_path().string();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  fs::create_directories(folder, ec);
  ZQSaveBase64DataIn(folder, path.filename().string(), ZQBase64Encode(bytes));
}

bool TIWZQJQSignature::IsCssStored() const {
  return GetCss() != IWZQJQControlCss;
}

}  // namespace zq
