// The client store: a key/value store that lives in the browser (the store.js
// plug-in, backed by localStorage), for settings that should survive between
// sessions on the same browser.
//
// Server code writes, removes and clears entries by queuing script (into the
// ajax response during a callback, into the next page otherwise). It reads an
// entry by asking the browser to send it back: SendPropValue queues a script
// that reads the entry and calls the component's value callback (HTML name
// + "."), which arrives at OnGetPropValue (the value as JSON text) and
// OnGetPropValueEx (the value as a JSON node).
//
//   store->Store("theme", "dark");          // store.set("theme","dark");
//   store->SendPropValue("theme");          // later: OnGetPropValue(store, "\"dark\"")
//
// Names and values are written as JSON string literals, so any text (quotes,
// backslashes, line breaks, non-ASCII text, "</script>") is stored and read
// back unchanged.
#pragma once

#include <string>

#include "foundation/delegate.h"
#include "foundation/superobject.h"
#include "framework/component.h"

namespace zq {

// (Sender, the value as JSON text).
using TIWZQJQStoreOnGetPropValue = Delegate<void(TObject* Sender, const std::string& APropValue)>;
// (Sender, the value as a JSON node).
using TIWZQJQStoreOnGetPropValueEx = Delegate<void(TObject* Sender, ISuperObject APropValue)>;

// "jquery_ui/plugins/store.js" with script debugging, else the ".min" form.
std::string JQStoreJS();

class TIWZQJQCustomStore : public TIWZQJQComponent {
  ZQ_CLASS(TIWZQJQCustomStore, TIWZQJQComponent)
 public:
  using TIWZQJQComponent::TIWZQJQComponent;

  // The plug-in version the component is written for.
  std::string GetPluginVersion() const { return "v1.3.14"; }

  // ---- script builders (queue nothing)
  // "store.set(NAME,VALUE);": the name as a JSON string literal; the value as
  // a JSON string literal when AQuoteValue is set, else as it is (a script
  // expression).
  std::string jsStore(const std::string& APropName, const std::string& APropValue, bool AQuoteValue);
  // "store.remove(NAME);"
  std::string jsRemoveProp(const std::string& APropName);
  // "store.clear();"
  std::string jsClear() { return "store.clear();"; }
  // The script that reads the entry and sends it to the value callback.
  std::string jsSendPropValue(const std::string& APropName);

  // ---- queued operations
  void Store(const std::string& APropName, const std::string& APropValue);
  // Stores the object's strict JSON text (quoted names, escaped); nothing for
  // no object or an empty object.
  void Store(const std::string& APropName, const ISuperObject& APropObjValue);
  void RemoveProp(const std::string& APropName);
  void Clear();
  void SendPropValue(const std::string& APropName);

  TIWZQJQStoreOnGetPropValue OnGetPropValue;
  TIWZQJQStoreOnGetPropValueEx OnGetPropValueEx;

  // The value callback: "isobj" (true when the stored text is JSON) and
  // "propval" (the stored value as a JSON string literal). Runs the events
  // when at least one is assigned.
  void DoGetPropValue(TStringList& AParams);
  // The value a read-back carries: propval decoded as JSON; a string whose
  // text is JSON (isobj) is parsed; a missing entry ("undefined") gives a JSON
  // null node. Exposed for tests.
  static ISuperObject DecodePropValue(const std::string& APropVal, bool AIsObj);

  void GetScriptLinks(TStringList& AList) override;
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  std::string GetDocumentationLink() override;
};

// The component applications place.
class TIWZQJQStore : public TIWZQJQCustomStore {
  ZQ_CLASS(TIWZQJQStore, TIWZQJQCustomStore)
 public:
  using TIWZQJQCustomStore::TIWZQJQCustomStore;
};

}  // namespace zq
