#include "components/history/history.h"

#include "events/browserparams.h"
#include "events/jscript.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "framework/links.h"
#include "foundation/html.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJQCustomAjaxBrowserHistory) {
  c.Prop("OnHashChange", &TIWZQJQCustomAjaxBrowserHistory::GetOnHashChange,
         &TIWZQJQCustomAjaxBrowserHistory::SetOnHashChange);
}

ZQ_IMPLEMENT_CLASS(TIWZQJQAjaxBrowserHistory) {}

std::string JQHashChangeJS() { return ZQMinFile("bbq/jquery.ba-hashchange.js", "bbq/jquery.ba-hashchange.min.js"); }

TIWZQJQCustomAjaxBrowserHistory::TIWZQJQCustomAjaxBrowserHistory(TComponent* AOwner) : TIWZQJQComponent(AOwner) {}

TIWZQJQCustomAjaxBrowserHistory::~TIWZQJQCustomAjaxBrowserHistory() = default;

void TIWZQJQCustomAjaxBrowserHistory::Initialize() {
  TIWZQJQComponent::Initialize();
  TIWZQFunc* f = GetOnHashChange();
  f->SetAjax(true);
  f->GetBrowserParams()->AddParam("Hash", "hash");
}

void TIWZQJQCustomAjaxBrowserHistory::BeforeDestruction() {
  TIWZQJQComponent::BeforeDestruction();
  FOnHashChange.reset();
}

TIWZQFunc* TIWZQJQCustomAjaxBrowserHistory::GetOnHashChange() {
  if (!FOnHashChange) FOnHashChange.reset(Create<TIWZQFunc>(static_cast<TPersistent*>(this), std::string("OnHashChange")));
  return FOnHashChange.get();
}

void TIWZQJQCustomAjaxBrowserHistory::SetOnHashChange(TIWZQFunc* AValue) { GetOnHashChange()->Assign(AValue); }

std::string TIWZQJQCustomAjaxBrowserHistory::jsAddHash(const std::string& AHash) {
  std::string hash = AHash;
  if (!hash.empty() && hash[0] != '#') hash.insert(hash.begin(), '#');
  const std::string literal = ZQJsEscape(hash);
  return Format("if (window.location.hash != %s) {window.location.hash = %s;} else {$(window).trigger(\"hashchange\");}",
                literal, literal);
}

void TIWZQJQCustomAjaxBrowserHistory::AddHash(const std::string& AHash) {
  AddJavaScriptToResponse(jsAddHash(AHash), true, true);
}

std::string TIWZQJQCustomAjaxBrowserHistory::GetRenderScript() {
  std::string script = TIWZQJQComponent::GetRenderScript();
  if (!FOnHashChange) return script;
  const std::string exec = FOnHashChange->GetScriptToExecute();
  if (exec.empty()) return script;
  TIWZQJScript lines;
  lines.AddF("%s(function(){", ZQJQuery);
  lines.AddF("  %s(window).bind(\"hashchange\",function() {", ZQJQuery);
  lines.Add("    var hash = location.hash;");
  lines.AddF("    AddChangedControl(\"%s\");", GetHTMLName());
  lines.AddF("    %s;", exec);
  lines.Add("  });");
  lines.Add("});");
  return lines.GetJoined();
}

void TIWZQJQCustomAjaxBrowserHistory::GetScriptLinks(TStringList& AList) {
  TIWZQJQComponent::GetScriptLinks(AList);
  AList.Add(JQHashChangeJS());
}

std::unique_ptr<TIWHTMLTag> TIWZQJQCustomAjaxBrowserHistory::RenderHTML(TIWCompContext& AContext) {
  auto tag = TIWZQJQComponent::RenderHTML(AContext);
  if (!Hash.empty()) AddHash(Hash);
  return tag;
}

std::string TIWZQJQCustomAjaxBrowserHistory::GetDocumentationLink() { return "docs/components/history.md"; }

}  // namespace zq
