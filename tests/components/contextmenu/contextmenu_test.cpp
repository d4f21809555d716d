#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/contextmenu/contextmenu.h"
#include "events/func.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "framework/scriptcontainer.h"
#include "host/application.h"
#include "host/testing.h"

namespace zq {
namespace {

using hosttest::THostFixture;

// A control that gives the menu selectors of its own parts.
class TPartsControl : public TIWLabel, public IIWZQJQContextMenuGridIntf {
  ZQ_CLASS(TPartsControl, TIWLabel)
 public:
  using TIWLabel::TIWLabel;
  void GetContextMenuSelectors(std::vector<std::string>& ASelectors) override {
    ASelectors.push_back("#GRID1 tr");
    ASelectors.push_back("#GRID1 td.cell");
  }
};
ZQ_IMPLEMENT_CLASS(TPartsControl) {}

size_t CountOf(const std::string& AText, const std::string& APart) {
  size_t n = 0;
  for (size_t p = AText.find(APart); p != std::string::npos; p = AText.find(APart, p + 1)) ++n;
  return n;
}

// The form MainForm with the menu MENU1 and two panels PANEL1 and PANEL2.
class ContextMenu : public ::testing::Test {
 protected:
  ContextMenu()
      : host([this](TIWApplication& app) {
          auto* f = Create<TIWAppForm>(&app);
          f->SetName("MainForm");
          menu = Create<TIWZQJQContextMenu>(f);
          menu->SetName("MENU1");
          panel1 = Create<TIWZQJSContainer>(f);
          panel1->SetName("PANEL1");
          panel1->SetParent(f);
          panel2 = Create<TIWZQJSContainer>(f);
          panel2->SetName("PANEL2");
          panel2->SetParent(f);
          return f;
        }) {}

  TIWZQJQContextMenuItems* Items() { return menu->GetJQContextMenuOptions()->GetItems(); }
  TIWZQJQContextMenuItem* AddItem(TIWZQJQContextMenuItems* AItems, const std::string& ACaption) {
    TIWZQJQContextMenuItem* item = AItems->Add();
    item->SetCaption(ACaption);
    return item;
  }
  // The JSON of the items, parsed back (entries keyed by unique name).
  ISuperObject ItemsJSon() {
    ISuperObject o = SO(Items()->GetJSonText());
    EXPECT_TRUE(o && SOIsObject(o)) << Items()->GetJSonText();
    return o;
  }
  std::vector<std::string> InCallback(std::function<void()> action) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { action(); });
    auto r = host.Callback("Probe");
    EXPECT_EQ(r.Code, 200) << r.Error;
    return r.Scripts;
  }
  static std::string Joined(const std::vector<std::string>& AScripts) {
    std::string s;
    for (const auto& x : AScripts) s += x + "\n";
    return s;
  }

  TIWZQJQContextMenu* menu = nullptr;
  TIWZQJSContainer* panel1 = nullptr;
  TIWZQJSContainer* panel2 = nullptr;
  THostFixture host;
};

TEST_F(ContextMenu, OptionsWriteOnlyChangedMembersAndTheItems) {
  TIWZQJQContextMenuOptions* o = menu->GetJQContextMenuOptions();
  // Only the callback, which always marks the menu changed first.
  EXPECT_EQ(o->GetJSon()->AsJSon(false, true, false),
            "{callback:function (key, opt){AddChangedControl(\"MENU1\");}}");
  o->SetTrigger(TIWZQJQContextMenuTrigger::jqcmtLeft);
  o->SetDelay(300);
  o->GetAnimation()->SetDuration(100);
  o->SetBuildOnDemand(true);  // server side only
  o->SetUITheme(true);
  AddItem(Items(), "Open");
  ISuperObject json = o->GetJSon();
  EXPECT_EQ(json->GetS("trigger"), "left");
  EXPECT_EQ(json->GetI("delay"), 300);
  EXPECT_EQ(json->GetO("animation")->GetI("duration"), 100);
  EXPECT_TRUE(json->GetB("uiTheme"));
  EXPECT_FALSE(json->AsObject()->Exists("BuildOnDemand"));
  EXPECT_FALSE(json->AsObject()->Exists("zIndex"));
  ASSERT_TRUE(json->AsObject()->Exists("items"));
  EXPECT_EQ(json->GetO("items")->AsJSon(false, true, true), Items()->GetJSonText());
}

TEST_F(ContextMenu, ItemsKeepTheirOrderNestingAndUniqueNames) {
  TIWZQJQContextMenuItem* open = AddItem(Items(), "Open");
  AddItem(open->GetSubItems(), "In tab");
  TIWZQJQContextMenuItem* deep = AddItem(open->GetSubItems(), "In window");
  AddItem(deep->GetSubItems(), "Left");
  Items()->Add()->SetSeparator(true);
  AddItem(Items(), "Quit")->SetAccessKey("q");

  EXPECT_EQ(open->GetUniqueName(), "MENU1_0");
  EXPECT_EQ(deep->GetUniqueName(), "MENU1_0_1");
  EXPECT_EQ(deep->GetSubItems()->Items(0)->GetUniqueName(), "MENU1_0_1_0");

  const std::string text = Items()->GetJSonText();
  // Entries in item order (the plug-in shows them in key order).
  const size_t a = text.find("\"MENU1_0\":"), b = text.find("\"MENU1_1\":"),
               c = text.find("\"MENU1_2\":");
  ASSERT_NE(a, std::string::npos);
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  // A separator is the text ------ and nothing else.
  EXPECT_NE(text.find("\"MENU1_1\":\"------\""), std::string::npos);

  ISuperObject json = ItemsJSon();
  ISuperObject sub = json->GetO("MENU1_0")->GetO("items");
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->GetO("MENU1_0_0")->GetS("name"), "In tab");
  EXPECT_EQ(sub->GetO("MENU1_0_1")->GetO("items")->GetO("MENU1_0_1_0")->GetS("name"), "Left");
  EXPECT_EQ(json->GetO("MENU1_2")->GetS("accesskey"), "q");
  EXPECT_FALSE(json->GetO("MENU1_2")->GetB("disabled"));
  EXPECT_FALSE(json->GetO("MENU1_2")->AsObject()->Exists("type"));
}

TEST_F(ContextMenu, EveryKindWritesItsTypeAndOptions) {
  TIWZQJQContextMenuItem* text = AddItem(Items(), "Name");
  text->SetType_(jqcmitText);
  text->TypeTextOptions()->SetValue(Variant("Ann"));
  TIWZQJQContextMenuItem* area = AddItem(Items(), "Notes");
  area->SetType_(jqcmitTextarea);
  area->TypeTextareaOptions()->SetHeight(40);
  area->TypeTextareaOptions()->SetValue(Variant(12));
  TIWZQJQContextMenuItem* check = AddItem(Items(), "Bold");
  check->SetType_(jqcmitCheckbox);
  check->TypeCheckboxOptions()->SetSelected(true);
  TIWZQJQContextMenuItem* radio = AddItem(Items(), "Small");
  radio->SetType_(jqcmitRadio);
  radio->TypeRadioOptions()->SetGroupName("size");
  radio->TypeRadioOptions()->SetValue(Variant("s"));
  TIWZQJQContextMenuItem* html = AddItem(Items(), "<b>Bold</b>");
  html->SetType_(jqcmitHTML);
  TIWZQJQContextMenuItem* custom = AddItem(Items(), "Hosted");
  custom->SetType_(jqcmitZQCustom);
  custom->TypeZQCustomOptions()->SetControl(panel1);
  EXPECT_THROW(text->TypeSelectOptions(), EInvalidCast);

  ISuperObject json = ItemsJSon();
  EXPECT_EQ(json->GetO("MENU1_0")->GetS("type"), "text");
  EXPECT_EQ(json->GetO("MENU1_0")->GetS("value"), "Ann");
  EXPECT_EQ(json->GetO("MENU1_1")->GetS("type"), "textarea");
  EXPECT_EQ(json->GetO("MENU1_1")->GetI("height"), 40);
  EXPECT_EQ(json->GetO("MENU1_1")->GetI("value"), 12);
  EXPECT_EQ(json->GetO("MENU1_2")->GetS("type"), "checkbox");
  EXPECT_TRUE(json->GetO("MENU1_2")->GetB("selected"));
  EXPECT_EQ(json->GetO("MENU1_3")->GetS("type"), "radio");
  EXPECT_EQ(json->GetO("MENU1_3")->GetS("radio"), "size");
  EXPECT_EQ(json->GetO("MENU1_3")->GetS("value"), "s");
  EXPECT_FALSE(json->GetO("MENU1_3")->AsObject()->Exists("selected"));
  EXPECT_EQ(json->GetO("MENU1_4")->GetS("type"), "html");
  EXPECT_EQ(json->GetO("MENU1_4")->GetS("html"), "<b>Bold</b>");
  EXPECT_EQ(json->GetO("MENU1_5")->GetS("type"), "zqcustom");
  EXPECT_EQ(json->GetO("MENU1_5")->GetS("zqcustomId"), "#PANEL1");

  // Changing the kind replaces the options; the same kind keeps them.
  TIWZQJQContextMenuItemTypeBase* before = check->GetTypeOptions();
  check->SetType_(jqcmitCheckbox);
  EXPECT_EQ(check->GetTypeOptions(), before);
  check->SetType_(jqcmitDefault);
  EXPECT_FALSE(ItemsJSon()->GetO("MENU1_2")->AsObject()->Exists("selected"));
}

TEST_F(ContextMenu, SelectOptionsAreJSonStringsThatCannotInjectScript) {
  TIWZQJQContextMenuItem* item = AddItem(Items(), "Size");
  item->SetType_(jqcmitSelect);
  TIWZQJQContextMenuItemTypeSelect* sel = item->TypeSelectOptions();
  sel->GetOptions()->Add("a b.c", "He said \"hi\"");
  sel->GetOptions()->Add("1st", "line\nbreak");
  sel->GetOptions()->Add("x", "</script><script>alert(1)</script>");
  sel->SetSelectedIndex(1);
  sel->SetSelectedIndex(5);  // past the last option: kept as it was
  EXPECT_EQ(sel->GetSelectedIndex(), 1);

  ISuperObject json = ItemsJSon()->GetO("MENU1_0");
  EXPECT_EQ(json->GetS("selected"), "1st");
  ISuperObject options = json->GetO("options");
  ASSERT_TRUE(options);
  EXPECT_EQ(options->AsObject()->GetO("a b.c")->AsString(), "He said \"hi\"");
  EXPECT_EQ(options->AsObject()->GetO("1st")->AsString(), "line\nbreak");
  EXPECT_EQ(options->AsObject()->GetO("x")->AsString(), "</script><script>alert(1)</script>");

  panel1->SetContextMenu(menu);
  const std::string script = menu->GetRenderScript();
  EXPECT_EQ(script.find("</script"), std::string::npos) << script;
  EXPECT_EQ(script.find('\n'), std::string::npos) << "a raw line break ends a script line";
}

TEST_F(ContextMenu, CaptionsAreTextUnlessHTMLIsAskedFor) {
  TIWZQJQContextMenuItem* item = AddItem(Items(), "<img src=x onerror=alert(1)> \"quoted\"");
  ISuperObject json = ItemsJSon()->GetO("MENU1_0");
  EXPECT_EQ(json->GetS("name"), "<img src=x onerror=alert(1)> \"quoted\"");
  EXPECT_FALSE(json->AsObject()->Exists("isHtmlName"));
  item->SetCaptionIsHTML(true);
  EXPECT_TRUE(ItemsJSon()->GetO("MENU1_0")->GetB("isHtmlName"));
}

TEST_F(ContextMenu, HiddenItemsCarryTheHiddenClass) {
  TIWZQJQContextMenuItem* item = AddItem(Items(), "Secret");
  item->SetVisible(false);
  ISuperObject json = ItemsJSon()->GetO("MENU1_0");
  EXPECT_EQ(json->GetS("className"), " ui-helper-hidden");
  EXPECT_FALSE(json->GetB("visible"));
  item->SetClassName_("warn");
  item->SetVisible(true);
  json = ItemsJSon()->GetO("MENU1_0");
  EXPECT_EQ(json->GetS("className"), "warn");
  EXPECT_FALSE(json->AsObject()->Exists("visible"));
}

TEST_F(ContextMenu, SelectorTextAndRenderScript) {
  AddItem(Items(), "Open");
  EXPECT_EQ(menu->GetSelectors(), "");
  panel1->SetContextMenu(menu);
  panel2->SetContextMenu(menu);
  menu->GetJQContextMenuOptions()->GetSelectorStringList()->AddSelector(".note");
  EXPECT_EQ(menu->GetSelectors(), ".note,#PANEL1,#PANEL2");
  EXPECT_THROW(menu->GetJQContextMenuOptions()->GetSelectorList()->Add(nullptr, false),
               EIWZQJQuery);

  const std::string js = menu->GetRenderScript();
  EXPECT_EQ(js.rfind("$(function(){", 0), 0u) << js;
  EXPECT_NE(js.find("if ($.contextMenu) { $.contextMenu(\"destroy\",\".note,#PANEL1,#PANEL2\"); }"),
            std::string::npos);
  EXPECT_NE(js.find("$.contextMenu({"), std::string::npos);
  EXPECT_NE(js.find("$(\".MENU1.context-menu-list\").addClass(\"ui-widget\");"), std::string::npos);
  EXPECT_EQ(js.substr(js.size() - 3), "});");
  ISuperObject arg = menu->GetCustomJSon();
  EXPECT_EQ(arg->GetS("className"), "MENU1");
  EXPECT_EQ(arg->GetS("selector"), ".note,#PANEL1,#PANEL2");
  EXPECT_TRUE(arg->AsObject()->Exists("items"));

  // Moving a panel to another menu takes its selector along.
  panel2->SetContextMenu(nullptr);
  EXPECT_EQ(menu->GetSelectors(), ".note,#PANEL1");

  // The page links the plug-in, our scripts and the stylesheet.
  THTTPReply page = host.Get("/");
  for (const char* file :
       {"contextMenu/jquery.contextMenu.min.js", "contextMenu/tavrin.contextMenu.utilities.min.js",
        "contextMenu/tavrin.jquery.contextMenu.min.js", "contextMenu/jquery.contextMenu.css"})
    EXPECT_NE(page.Body().find(file), std::string::npos) << file;
}

TEST_F(ContextMenu, NoItemsOrNoSelectorsRenderNoPluginCall) {
  EXPECT_EQ(menu->GetRenderScript().find("$.contextMenu("), std::string::npos);
  AddItem(Items(), "Open");
  EXPECT_EQ(menu->GetRenderScript().find("$.contextMenu("), std::string::npos);
  panel1->SetContextMenu(menu);
  EXPECT_NE(menu->GetRenderScript().find("$.contextMenu("), std::string::npos);
}

TEST_F(ContextMenu, SelectorsOfInternalControlsAreAddedOnce) {
  AddItem(Items(), "Open");
  auto* grid = Create<TPartsControl>(&host.Form());
  grid->SetName("GRID1");
  EXPECT_EQ(menu->AddInternalControl(grid), 0);
  EXPECT_EQ(menu->AddInternalControl(grid), 1);  // already there: position + 1
  EXPECT_EQ(menu->InternalControls().size(), 1u);
  const std::string first = menu->GetRenderScript();
  const std::string destroy = menu->GetPluginDestroyJs();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(menu->GetRenderScript(), first);
  EXPECT_EQ(menu->GetPluginDestroyJs(), destroy);
  EXPECT_EQ(menu->GetSelectors(), "#GRID1 tr,#GRID1 td.cell");
  EXPECT_EQ(CountOf(first, "#GRID1 tr"),
            2u);  // once in the destroy call, once in the plug-in argument
}

TEST_F(ContextMenu, RemovedControlLeavesEveryItemSelectorAndList) {
  auto* hosted = Create<TIWZQJSContainer>(&host.Form());
  hosted->SetName("HOSTED");
  TIWZQJQContextMenuItem* top = AddItem(Items(), "Top");
  top->SetType_(jqcmitZQCustom);
  top->TypeZQCustomOptions()->SetControl(hosted);
  TIWZQJQContextMenuItem* parent = AddItem(Items(), "Parent");
  TIWZQJQContextMenuItem* child =
      AddItem(AddItem(parent->GetSubItems(), "Middle")->GetSubItems(), "Deep");
  child->SetType_(jqcmitZQCustom);
  child->TypeZQCustomOptions()->SetControl(hosted);
  hosted->SetContextMenu(menu);
  menu->GetJQContextMenuOptions()->GetSelectorList()->Add(hosted, false);  // a second entry for it
  menu->AddInternalControl(hosted);
  panel1->SetContextMenu(menu);

  Free(hosted);
  EXPECT_EQ(top->TypeZQCustomOptions()->GetControl(), nullptr);
  EXPECT_EQ(child->TypeZQCustomOptions()->GetControl(), nullptr);
  EXPECT_EQ(menu->GetJQContextMenuOptions()->GetSelectorList()->Count(), 1);
  EXPECT_TRUE(menu->InternalControls().empty());
  EXPECT_EQ(menu->GetSelectors(), "#PANEL1");
  // Rendering after the removal reads no freed control (the address
  // sanitizer build proves it).
  const std::string js = menu->GetRenderScript();
  EXPECT_EQ(js.find("HOSTED"), std::string::npos);
}

TEST_F(ContextMenu, ControlsFreedWhileTheMenuIsBeingDestroyedAreDropped) {
  // The owner marks every component as being destroyed, then frees them one
  // by one: controls freed before the menu must not stay in its lists.
  auto* grid = Create<TPartsControl>(&host.Form());
  grid->SetName("GRID1");
  TIWZQJQContextMenuItem* item = AddItem(Items(), "Hosted");
  item->SetType_(jqcmitZQCustom);
  item->TypeZQCustomOptions()->SetControl(grid);
  menu->AddInternalControl(grid);
  menu->GetJQContextMenuOptions()->GetSelectorList()->Add(grid, false);
  menu->Destroying();
  Free(grid);
  EXPECT_TRUE(menu->InternalControls().empty());
  EXPECT_EQ(item->TypeZQCustomOptions()->GetControl(), nullptr);
  EXPECT_EQ(menu->GetJQContextMenuOptions()->GetSelectorList()->Count(), 0);
}

TEST_F(ContextMenu, ItemChangesInACallbackAddressTheItemByKey) {
  TIWZQJQContextMenuItem* first = AddItem(Items(), "With sub-menu");
  AddItem(first->GetSubItems(), "Child");
  TIWZQJQContextMenuItem* second = AddItem(Items(), "Second");
  TIWZQJQContextMenuItem* child = first->GetSubItems()->Items(0);
  panel1->SetContextMenu(menu);

  const std::string js = Joined(InCallback([&] {
    second->SetVisible(false);
    child->SetDisabled(true);
    second->SetVisible(true);
  }));
  EXPECT_NE(js.find("ZQCMSetItem(\".MENU1.context-menu-list\",\"MENU1_1\",\"visible\",false);"),
            std::string::npos)
      << js;
  EXPECT_NE(js.find("ZQCMSetItem(\".MENU1.context-menu-list\",\"MENU1_0_0\",\"disabled\",true);"),
            std::string::npos);
  EXPECT_NE(js.find("ZQCMSetItem(\".MENU1.context-menu-list\",\"MENU1_1\",\"visible\",true);"),
            std::string::npos);
  EXPECT_EQ(js.find("li:eq("), std::string::npos);
  // Outside a callback nothing is queued, the state goes into the JSON.
  second->SetVisible(false);
  EXPECT_EQ(ItemsJSon()->GetO("MENU1_1")->GetS("className"), " ui-helper-hidden");
}

TEST_F(ContextMenu, ShowHideCentreAndRebuildScripts) {
  AddItem(Items(), "Open");
  panel1->SetContextMenu(menu);
  ISuperObject pos = SO(menu->jsShowContextMenu("#BTN1", 10, 20)
                            .substr(std::string("$(\"#BTN1\").contextMenu(").size()));
  ASSERT_TRUE(pos);
  EXPECT_EQ(pos->GetI("x"), 10);
  EXPECT_EQ(pos->GetI("y"), 20);
  EXPECT_EQ(menu->jsShowContextMenu("", 1, 2), "");
  EXPECT_EQ(menu->jsHideContextMenu("#PANEL1"), "$(\"#PANEL1\").contextMenu(\"hide\");");

  const std::string centre = menu->jsShowContextMenuOnCenter("#PANEL1", 3, -4);
  EXPECT_NE(centre.find("$cmpopup = $(\".MENU1.context-menu-list\");"), std::string::npos);
  EXPECT_NE(centre.find("if ($el.length) {"), std::string::npos) << centre;
  EXPECT_NE(centre.find("$cmpopup.length ? $cmpopup.outerWidth() : 0"), std::string::npos);
  EXPECT_NE(centre.find("(mw / 2) + 3;"), std::string::npos);
  EXPECT_NE(centre.find("(mh / 2) + -4;"), std::string::npos);
  EXPECT_EQ(centre.find("if (($cmpopup) && ($el))"), std::string::npos);

  const std::string js = Joined(InCallback([&] {
    menu->ShowContextMenu(panel1, 5, 6);
    menu->HideContextMenu(panel1);
    menu->ShowContextMenuOnCenter(static_cast<TComponent*>(nullptr));
    panel1->ShowContextMenuOnCenter();
  }));
  EXPECT_NE(js.find("$(\"#PANEL1\").contextMenu({"), std::string::npos) << js;
  EXPECT_NE(js.find("$(\"#PANEL1\").contextMenu(\"hide\");"), std::string::npos);
  EXPECT_NE(js.find("var $el = $(\"#PANEL1\")"), std::string::npos);

  // Without build-on-demand a rebuild destroys and creates the menu again
  // (no variable that was never declared).
  const std::string rebuild = menu->jsRebuildContextMenu();
  EXPECT_EQ(rebuild.find("_OPTS"), std::string::npos);
  EXPECT_NE(rebuild.find("$.contextMenu(\"destroy\",\"#PANEL1\")"), std::string::npos);
  EXPECT_NE(rebuild.find("$.contextMenu({"), std::string::npos);
}

TEST_F(ContextMenu, BuildOnDemandUsesTheOptionsVariable) {
  AddItem(Items(), "Open");
  panel1->SetContextMenu(menu);
  menu->GetJQContextMenuOptions()->SetBuildOnDemand(true);
  const std::string js = menu->GetRenderScript();
  EXPECT_EQ(js.rfind("var MENU1_OPTS = {};$(function(){", 0), 0u) << js;
  EXPECT_NE(js.find("MENU1_OPTS = {"), std::string::npos);
  EXPECT_NE(js.find("build:function($trigger, e) {  return MENU1_OPTS;}"), std::string::npos) << js;
  const std::string rebuild = menu->jsRebuildContextMenu();
  EXPECT_EQ(rebuild.rfind("MENU1_OPTS = {", 0), 0u) << rebuild;
  EXPECT_EQ(rebuild.find("destroy"), std::string::npos);
}

TEST_F(ContextMenu, ItemCallbackReachesItsHandlerWithKeyAndValues) {
  TIWZQJQContextMenuItem* parent = AddItem(Items(), "Parent");
  TIWZQJQContextMenuItem* item = AddItem(parent->GetSubItems(), "Child");
  TIWZQJQContextMenuItem* name = AddItem(Items(), "Name");
  name->SetType_(jqcmitText);
  panel1->SetContextMenu(menu);
  std::string gotKey, gotName;
  item->GetOnCallback()->SetOnEvent(TIWZQEvent(menu, [&](TObject*, TStringList* p) {
    gotKey = p->Values("key");
    gotName = ZQContextMenuInputValues(p)->GetS("MENU1_1");
  }));
  const std::string id = item->GetOnCallback()->GetEventID();
  EXPECT_EQ(id, "JQContextMenuOptions.Items.Items[0].SubItems.Items[0].OnCallback");

  const std::string script = Items()->GetJSonText();
  EXPECT_NE(script.find("\"callback\":function(key,obj){AddChangedControl(\"MENU1\");"),
            std::string::npos)
      << script;
  const std::string cb = item->GetOnCallback()->GetScript(true);
  EXPECT_EQ(cb.rfind("function(key,obj){AddChangedControl(\"MENU1\");", 0), 0u) << cb;
  EXPECT_NE(cb.find("encodeURIComponent(key)"), std::string::npos);
  EXPECT_NE(cb.find("encodeURIComponent(ZQCMInputValues(obj))"), std::string::npos);
  EXPECT_NE(cb.find("executeAjaxEvent(url,MENU1IWCL,\"MENU1.DoAjaxRequest\""), std::string::npos);

  auto r = host.Callback(
      "MENU1.DoAjaxRequest",
      {{"ajaxevent", id}, {"key", "MENU1_0_0"}, {"values", "{\"MENU1_1\":\"Ann \\\"B\\\"\"}"}});
  EXPECT_EQ(r.Code, 200) << r.Error;
  EXPECT_EQ(gotKey, "MENU1_0_0");
  EXPECT_EQ(gotName, "Ann \"B\"");
  EXPECT_TRUE(ZQContextMenuInputValues(nullptr)->AsJSon() == "{}");
  // An item without a handler writes no callback; the options' callback
  // marks the menu changed first.
  EXPECT_FALSE(ItemsJSon()->GetO("MENU1_1")->AsObject()->Exists("callback"));
  menu->GetJQContextMenuOptions()->GetOnCallback()->SetScript(
      "function(key, opt){ window.k = key; }");
  const std::string all = menu->GetJQContextMenuOptions()->GetJSon()->AsJSon(false, true, false);
  EXPECT_NE(all.find("{AddChangedControl(\"MENU1\"); window.k = key; }"), std::string::npos) << all;
}

TEST_F(ContextMenu, IconScripts) {
  TIWZQJQContextMenuItem* top = AddItem(Items(), "Top");
  TIWZQJQContextMenuItem* child = AddItem(top->GetSubItems(), "Child");
  AddItem(Items(), "Plain")->SetIcon("edit");
  panel1->SetContextMenu(menu);
  top->GetCustomIcon()->SetUIIcon("ui-icon-folder-open");
  const std::string js = menu->GetRenderScript();
  EXPECT_NE(js.find("ZQAddCMCustomIcon(\"MENU1.context-menu-list\",0,\"ui-icon-folder-open\");"),
            std::string::npos)
      << js;
  EXPECT_EQ(ItemsJSon()->GetO("MENU1_1")->GetS("icon"), "edit");
  const std::string cb = Joined(InCallback([&] {
    top->GetCustomIcon()->SetUIIcon("ui-icon-folder-open");  // unchanged: written again
    child->GetCustomIcon()->SetUIIcon("ui-icon-star");
  }));
  EXPECT_NE(cb.find("ZQAddCMCustomIcon(\"MENU1.context-menu-list\",0,\"ui-icon-folder-open\");"),
            std::string::npos);
  EXPECT_NE(
      cb.find("ZQAddCMCustomIcon(\"MENU1.context-menu-list\",\"MENU1_0_0\",\"ui-icon-star\");"),
      std::string::npos)
      << cb;
  EXPECT_EQ(top->GetCustomIcon()->GetPictureWidth(), 16);
}

TEST_F(ContextMenu, SelectorDisabledInACallback) {
  AddItem(Items(), "Open");
  panel1->SetContextMenu(menu);
  TIWZQJQContextMenuSelector* s = menu->GetJQContextMenuOptions()->GetSelectorList()->Items(0);
  const std::string js = Joined(InCallback([&] { s->SetContextMenuDisabled(true); }));
  EXPECT_NE(js.find("$(\"#PANEL1\").contextMenu(false);"), std::string::npos) << js;
}

}  // namespace
}  // namespace zq
