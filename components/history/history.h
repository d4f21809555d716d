// The browser history: lets a single-page application use the URL fragment
// (the part after "#") as its navigation history. Server code sets the
// fragment (AddHash, or Hash at every render); when the user moves through
// the browser's history (back, forward, a typed fragment) the OnHashChange
// event function reports the new fragment, "#" included, to the server as the
// parameter "Hash".
//
//   history->GetOnHashChange()->SetOnEvent(MakeDelegate(this, &TMyForm::HashChanged));
//   history->AddHash("page2");     // the fragment becomes #page2
//
// The fragment travels as a JSON string literal: a fragment that came back
// from the browser is echoed without ever running as script.
#pragma once

#include <string>

#include "events/func.h"
#include "framework/component.h"
#include "options/jsonobj.h"

namespace zq {

class TIWZQFunc;

// "bbq/jquery.ba-hashchange.js" with script debugging, else the ".min" form.
std::string JQHashChangeJS();

// The component is the adapter of its OnHashChange function (the component
// base's defaults: no property name, no item index, no fixed script).
class TIWZQJQCustomAjaxBrowserHistory : public TIWZQJQComponent {
  ZQ_CLASS(TIWZQJQCustomAjaxBrowserHistory, TIWZQJQComponent)
 public:
  explicit TIWZQJQCustomAjaxBrowserHistory(TComponent* AOwner);
  ~TIWZQJQCustomAjaxBrowserHistory() override;
  void Initialize() override;
  void BeforeDestruction() override;

  // The fragment to set at every render (empty: none).
  std::string Hash;

  // Created on first use: ajax, with the browser parameter Hash = hash.
  TIWZQFunc* GetOnHashChange();
  // Assigns the given function's settings into the component's own.
  void SetOnHashChange(TIWZQFunc* AValue);

  // Queues the script that sets the fragment ("#" put in front when missing;
  // empty stays empty), or, when the browser is already there, fires the
  // change event itself.
  void AddHash(const std::string& AHash);
  // The script of AddHash.
  std::string jsAddHash(const std::string& AHash);
  // AddHash("").
  void DeleteHash() { AddHash(""); }

  std::string GetRenderScript() override;
  void GetScriptLinks(TStringList& AList) override;
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  std::string GetDocumentationLink() override;

 private:
  Owned<TIWZQFunc> FOnHashChange;
};

// The component applications place.
class TIWZQJQAjaxBrowserHistory : public TIWZQJQCustomAjaxBrowserHistory {
  ZQ_CLASS(TIWZQJQAjaxBrowserHistory, TIWZQJQCustomAjaxBrowserHistory)
 public:
  using TIWZQJQCustomAjaxBrowserHistory::TIWZQJQCustomAjaxBrowserHistory;
};

}  // namespace zq
