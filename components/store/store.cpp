#include "components/store/store.h"

#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/paramlist.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "framework/links.h"
#include "host/application.h"
#include "host/context.h"
#include "foundation/html.h"
#include "host/zqhelpers.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJQCustomStore) {}

ZQ_IMPLEMENT_CLASS(TIWZQJQStore) {
  c.Prop("OnGetPropValue", &TIWZQJQStore::OnGetPropValue);
  c.Prop("OnGetPropValueEx", &TIWZQJQStore::OnGetPropValueEx);
}

std::string JQStoreJS() { return ZQMinFile("jquery_ui/plugins/store.js", "jquery_ui/plugins/store.min.js"); }


// ---------------------------------------------------------------- scripts

std::string TIWZQJQCustomStore::jsStore(const std::string& APropName, const std::string& APropValue,
                                        bool AQuoteValue) {
  return Format("store.set(%s,%s);", ZQJsEscape(APropName), AQuoteValue ? ZQJsEscape(APropValue) : APropValue);
}

std::string TIWZQJQCustomStore::jsRemoveProp(const std::string& APropName) {
  return Format("store.remove(%s);", ZQJsEscape(APropName));
}

std::string TIWZQJQCustomStore::jsSendPropValue(const std::string& APropName) {
  return "var d = " + Format("store.get(%s);", ZQJsEscape(APropName)) +
         "var isobj = true; try { var json = JSON.parse(d) }catch(err){ isobj = false;}" +
         Format("executeAjaxEvent(\"&isobj=\"+isobj+\"&propval=\"+encodeURIComponent(JSON.stringify(d)),%s,\"%s\","
                "true,null,true);",
                GetIWCLName(), GetRegisterCallbackName(""));
}

// ---------------------------------------------------------------- queued operations

void TIWZQJQCustomStore::Store(const std::string& APropName, const std::string& APropValue) {
  AddJavaScriptToResponse(jsStore(APropName, APropValue, true), true, true);
}

void TIWZQJQCustomStore::Store(const std::string& APropName, const ISuperObject& APropObjValue) {
  if (!APropObjValue) return;
  if (APropObjValue->IsType(stObject) && APropObjValue->AsJSon(false, true, true) == "{}") return;
  AddJavaScriptToResponse(jsStore(APropName, APropObjValue->AsJSon(false, true, true), true), false, true);
}

void TIWZQJQCustomStore::RemoveProp(const std::string& APropName) {
  AddJavaScriptToResponse(jsRemoveProp(APropName), true, true);
}

void TIWZQJQCustomStore::Clear() { AddJavaScriptToResponse(jsClear(), true, true); }

void TIWZQJQCustomStore::SendPropValue(const std::string& APropName) {
  AddJavaScriptToResponse(jsSendPropValue(APropName), true, true);
}

// ---------------------------------------------------------------- read-back

ISuperObject TIWZQJQCustomStore::DecodePropValue(const std::string& APropVal, bool AIsObj) {
  // JSON.stringify of a missing entry gives nothing, which the browser sends
  // as "undefined": no value.
  ISuperObject v = SO(APropVal);
  if (!v || ZQTrim(APropVal) == "undefined") return nullptr;
  if (AIsObj && v->IsType(stString)) {
    // The stored text is itself JSON: parse it as it is (no backslash is
    // dropped, so strings inside keep their quotes and escapes).
    if (ISuperObject inner = SO(v->AsString())) return inner;
  }
  return v;
}

void TIWZQJQCustomStore::DoGetPropValue(TStringList& AParams) {
  if (!OnGetPropValue && !OnGetPropValueEx) return;
  const std::string propVal = AParams.Values("propval");
  const bool isObj = ZQParamToBool(AParams.Values("isobj"));
  if (OnGetPropValue) {
    ISuperObject v = DecodePropValue(propVal, isObj);
    OnGetPropValue(this, v ? v->AsJSon(false, false, true) : std::string());
  }
  if (OnGetPropValueEx) {
    ISuperObject v = DecodePropValue(propVal, isObj);
    OnGetPropValueEx(this, v ? v : TSuperObject::Create(stNull));
  }
}

// ---------------------------------------------------------------- render

void TIWZQJQCustomStore::GetScriptLinks(TStringList& AList) {
  TIWZQJQComponent::GetScriptLinks(AList);
  AList.Add(JQStoreJS());
}

std::unique_ptr<TIWHTMLTag> TIWZQJQCustomStore::RenderHTML(TIWCompContext& AContext) {
  auto tag = TIWZQJQComponent::RenderHTML(AContext);
  // Unregistered with the component's other callbacks when it goes.
  if (!Designing())
    Core().RegisterCallBack(AContext.WebApplication(), GetRegisterCallbackName(""),
                            [this](TStringList& AParams) { DoGetPropValue(AParams); });
  return tag;
}

std::string TIWZQJQCustomStore::GetDocumentationLink() { return "docs/components/store.md"; }

}  // namespace zq
