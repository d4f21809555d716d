#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/store/store.h"
#include "foundation/exception.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/testing.h"
#include "options/jsonmember.h"
#include "options/jsonobj.h"
#include "options/optionrows.h"

namespace zq {

// An option object a store-only form may hold (no DOM-events object in it).
#define ZQ_STORE_TEST_ROWS(X) X(String, Title, "title", "")
class TStoreTestOptions : public TIWZQJSon {
  ZQ_OPTIONS(TStoreTestOptions, TIWZQJSon, ZQ_STORE_TEST_ROWS)
 public:
  using TIWZQJSon::TIWZQJSon;
  // Its changes during a callback are sent as a setter script.
  bool SupportsSetter(TIWZQJSon*, TZQJSonMember*) override { return true; }
};
ZQ_IMPLEMENT_OPTIONS(TStoreTestOptions) {}

namespace {

using hosttest::THostFixture;

THostFixture MakeHost(TIWZQJQStore*& store) {
  return THostFixture([&store](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    store = Create<TIWZQJQStore>(f);
    store->SetName("Store1");
    return f;
  });
}

// Runs the action inside a callback of the store's form and returns the
// scripts of the response.
std::vector<std::string> InCallback(THostFixture& host, std::function<void()> action) {
  host.Session().CallBacks().Register("Probe", [&](TStringList&) { action(); });
  auto r = host.Callback("Probe");
  EXPECT_EQ(r.Code, 200) << r.Error;
  return r.Scripts;
}

TEST(Store, AnOptionObjectFreedDuringACallbackLeavesNoSetterBehind) {
  // A form with a store only: nothing but the library start-up installs the
  // option model's freed-object hook. Under AddressSanitizer a setter left
  // behind is a use after free when the response is composed.
  TIWZQJQStore* store = nullptr;
  THostFixture host = MakeHost(store);
  bool pendingWhileAlive = false;
  bool pendingAfterFree = true;
  auto scripts = InCallback(host, [&] {
    TIWZQJSon* options = TIWZQJSon::CreateSingle<TStoreTestOptions>(store, "Options");
    SetStrProp(options, PropByName(options, "Title"), "changed");
    pendingWhileAlive = store->Dispatcher()->GetAjaxProcessed();
    Free(options);
    pendingAfterFree = store->Dispatcher()->GetAjaxProcessed();
  });
  EXPECT_TRUE(pendingWhileAlive);
  EXPECT_FALSE(pendingAfterFree);
  EXPECT_EQ(scripts, std::vector<std::string>{});
}

TEST(Store, ScriptBuilders) {
  Owned<TIWZQJQStore> s(Create<TIWZQJQStore>(nullptr));
  s->SetName("Store1");
  EXPECT_EQ(s->GetPluginVersion(), "v1.3.14");
  EXPECT_EQ(s->jsStore("theme", "dark", true), "store.set(\"theme\",\"dark\");");
  EXPECT_EQ(s->jsStore("n", "1+2", false), "store.set(\"n\",1+2);");
  EXPECT_EQ(s->jsRemoveProp("x"), "store.remove(\"x\");");
  EXPECT_EQ(s->jsClear(), "store.clear();");
  EXPECT_EQ(s->jsSendPropValue("theme"),
            "var d = store.get(\"theme\");"
            "var isobj = true; try { var json = JSON.parse(d) }catch(err){ isobj = false;}"
            "executeAjaxEvent(\"&isobj=\"+isobj+\"&propval=\"+encodeURIComponent(JSON.stringify(d)),"
            "STORE1IWCL,\"STORE1.\",true,null,true);");
}

TEST(Store, NamesAndValuesAreEscapedStringLiterals) {
  Owned<TIWZQJQStore> s(Create<TIWZQJQStore>(nullptr));
  // A single quote no longer ends anything; double quotes, backslashes, line
  // breaks, "</script>" and non-ASCII text are escaped.
  EXPECT_EQ(s->jsStore("it's", "a\"b\\c\r\nd</script>", true),
            "store.set(\"it's\",\"a\\\"b\\\\c\\r\\nd<\\/script>\");");
  EXPECT_EQ(s->jsStore("k\"); alert(1); (\"", "\xC3\xA9\xE2\x82\xAC", true),
            "store.set(\"k\\\"); alert(1); (\\\"\",\"\\u00e9\\u20ac\");");
  EXPECT_EQ(s->jsRemoveProp("a\"b"), "store.remove(\"a\\\"b\");");
  EXPECT_NE(s->jsSendPropValue("</script>").find("store.get(\"<\\/script>\");"), std::string::npos);
}

TEST(Store, ValueHoldingACDataTerminatorArrivesAsScript) {
  TIWZQJQStore* store = nullptr;
  THostFixture host = MakeHost(store);
  auto scripts = InCallback(host, [&] { store->Store("k]]>", "a]]>b"); });
  // Wrapped in CDATA once, where the response is written; the reader joins
  // the "]]]]><![CDATA[>" pieces back into the script.
  EXPECT_EQ(scripts, std::vector<std::string>{"store.set(\"k]]>\",\"a]]>b\");"});
}

TEST(Store, QueuedOperationsDuringCallback) {
  TIWZQJQStore* store = nullptr;
  THostFixture host = MakeHost(store);
  auto scripts = InCallback(host, [&] {
    store->Store("theme", "dark");
    store->Store("obj", SO("{\"n\":2,\"s\":\"q\\\"\"}"));
    store->Store("empty", SO("{}"));
    store->Store("none", ISuperObject());
    store->RemoveProp("x");
    store->Clear();
  });
  ASSERT_EQ(scripts.size(), 1u);
  // The object is written as strict JSON text (quoted names, numbers as
  // numbers) inside one JSON string literal.
  ISuperObject obj = SO("{\"n\":2,\"s\":\"q\\\"\"}");
  std::string objText = obj->AsJSon(false, true, true);
  EXPECT_EQ(scripts[0], "store.set(\"theme\",\"dark\");"
                        "store.set(\"obj\"," + ZQJsEscape(objText) + ");"
                        "store.remove(\"x\");store.clear();");
  EXPECT_NE(objText.find("\"n\":2"), std::string::npos);
}

TEST(Store, QueuedOutsideCallbackGoesIntoNextPage) {
  TIWZQJQStore* store = nullptr;
  THostFixture host = MakeHost(store);
  {
    TIWThreadSessionSwitch sw(&host.Session());
    store->Store("theme", "dark");
  }
  auto page = host.Get("/");
  EXPECT_NE(page.Body().find("store.set(\"theme\",\"dark\");"), std::string::npos);
  EXPECT_NE(page.Body().find("src=\"/jq/jquery_ui/plugins/store.min.js?v=2.6.0.86\""), std::string::npos);
}

TEST(Store, DecodeReadBack) {
  // An object stored as JSON text: propval is the JSON string literal of that
  // text; backslashes inside strings are kept.
  std::string text = "{\"a\":\"x\\\"y\\\\z\"}";
  ISuperObject v = TIWZQJQCustomStore::DecodePropValue(ZQJsEscape(text), true);
  ASSERT_TRUE(v);
  ASSERT_TRUE(v->IsType(stObject));
  EXPECT_EQ(v->GetO("a")->AsString(), "x\"y\\z");
  // Plain text: a JSON string.
  v = TIWZQJQCustomStore::DecodePropValue("\"hello\"", false);
  ASSERT_TRUE(v);
  EXPECT_EQ(v->AsJSon(false, false, true), "\"hello\"");
  // Text that looks like JSON but was stored as text stays text with isobj false.
  v = TIWZQJQCustomStore::DecodePropValue(ZQJsEscape("{\"a\":1}"), false);
  EXPECT_EQ(v->AsString(), "{\"a\":1}");
  // A missing entry.
  EXPECT_FALSE(TIWZQJQCustomStore::DecodePropValue("undefined", false));
  EXPECT_FALSE(TIWZQJQCustomStore::DecodePropValue("", false));
}

TEST(Store, ValueCallbackEndToEnd) {
  TIWZQJQStore* store = nullptr;
  THostFixture host = MakeHost(store);
  ASSERT_NE(host.Session().CallBacks().Find("MAINFORM.STORE1."), nullptr);
  // Neither event assigned: nothing, not even the conversion of isobj.
  auto r = host.Callback("STORE1.", {{"isobj", "maybe"}, {"propval", "\"x\""}});
  EXPECT_EQ(r.Code, 200) << r.Error;

  std::vector<std::string> texts;
  std::vector<ISuperObject> nodes;
  store->OnGetPropValue = TIWZQJQStoreOnGetPropValue(store, [&](TObject* sender, const std::string& v) {
    EXPECT_EQ(sender, store);
    texts.push_back(v);
  });
  store->OnGetPropValueEx =
      TIWZQJQStoreOnGetPropValueEx(store, [&](TObject*, ISuperObject v) { nodes.push_back(v); });
  const std::string stored = "{\"k\":\"a\\\\b \\\"c\\\" \xC3\xA9 <\\/script>\"}";
  r = host.Callback("STORE1.", {{"isobj", "true"}, {"propval", ZQJsEscape(stored)}});
  ASSERT_EQ(r.Code, 200) << r.Error;
  r = host.Callback("STORE1.", {{"isobj", "false"}, {"propval", "\"hello\""}});
  r = host.Callback("STORE1.", {{"isobj", "false"}, {"propval", "undefined"}});
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "{\"k\":\"a\\\\b \\\"c\\\" \xC3\xA9 <\\/script>\"}");
  EXPECT_EQ(texts[1], "\"hello\"");
  EXPECT_EQ(texts[2], "");
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[0]->GetO("k")->AsString(), "a\\b \"c\" \xC3\xA9 </script>");
  EXPECT_EQ(nodes[1]->AsString(), "hello");
  EXPECT_TRUE(nodes[2]->IsType(stNull));
  // isobj must be a boolean.
  r = host.Callback("STORE1.", {{"propval", "\"x\""}});
  EXPECT_EQ(r.Code, 500);
  EXPECT_EQ(r.Error, "'' is not a valid boolean value");
}

TEST(Store, DestroyedStoreLeavesNoLiveValueCallback) {
  TIWZQJQStore* store = nullptr;
  THostFixture host = MakeHost(store);
  int calls = 0;
  store->OnGetPropValue = TIWZQJQStoreOnGetPropValue(store, [&](TObject*, const std::string&) { ++calls; });
  {
    TIWThreadSessionSwitch sw(&host.Session());
    Free(store);
  }
  auto r = host.Callback("STORE1.", {{"isobj", "false"}, {"propval", "\"x\""}});
  EXPECT_EQ(r.Code, 200);
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace zq
