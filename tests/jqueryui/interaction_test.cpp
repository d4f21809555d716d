// Interaction options: member tables, enumeration texts, custom JSON.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/properties.h"
#include "jqueryui/interaction.h"
#include "options/jsonmember.h"

namespace zq {
namespace {

template <class T>
Owned<T> Make() {
  return Owned<T>(TIWZQJSon::CreateSingle<T>(nullptr, ""));
}

std::string Text(TIWZQJSon* o) {
  ISuperObject j = o->GetJSon();
  return j ? ZQOptionJSonText(j, false) : std::string("<none>");
}

// "property=json:kind" for every member, in index order, read from the class
// data and the property table together.
std::vector<std::string> Rows(TIWZQJSon* o) {
  std::vector<std::string> rows;
  TZQJSonClassData* cd = o->GetClassData();
  for (int i = 0; i < cd->MemberCount(); ++i) {
    TZQJSonMember* m = cd->Members().Items(i);
    const PropInfo* p = cd->PropOfMember(i);
    std::string kind = ZQJSonMemberTypeName(m->MType());
    rows.push_back((p ? p->Name : std::string("?")) + "=" + m->Name() + ":" + kind.substr(2) +
                   (m->GenerateJSon() ? "" : " nojson") + (m->HasFixedScript() ? " fixed" : ""));
  }
  return rows;
}

TEST(InteractionOptions, DragMemberTable) {
  auto d = Make<TIWZQJQDragOptions>();
  EXPECT_EQ(Rows(d.get()),
            (std::vector<std::string>{"Disabled=disabled:Boolean",
                                      "AddClasses=addClasses:Boolean",
                                      "AppendTo=appendTo:String",
                                      "Axis=axis:Variant",
                                      "Cancel=cancel:String",
                                      "ConnectToSortable=connectToSortable:Variant",
                                      "Containment=containment:Variant",
                                      "Cursor=cursor:Enum",
                                      "CursorAt=cursorAt:JSonObj",
                                      "Delay=delay:Integer",
                                      "Grid=grid:JSonDynObjList",
                                      "Handle=handle:Variant",
                                      "Helper=helper:Variant",
                                      "IFrameFix=iframeFix:Boolean",
                                      "Opacity=opacity:Variant",
                                      "RefreshPositions=refreshPositions:Boolean",
                                      "Revert=revert:Variant",
                                      "RevertDuration=revertDuration:Integer",
                                      "Scope=scope:String",
                                      "Scroll=scroll:Boolean",
                                      "ScrollSensitivity=scrollSensitivity:Integer",
                                      "ScrollSpeed=scrollSpeed:Integer",
                                      "Snap=snap:Variant",
                                      "SnapMode=snapMode:String",
                                      "SnapTolerance=snapTolerance:Integer",
                                      "Stack=stack:Variant",
                                      "zIndex=zIndex:Integer",
                                      "OnCreate=create:JSonFunc",
                                      "OnStart=start:JSonFunc fixed",
                                      "OnDrag=drag:JSonFunc fixed",
                                      "OnStop=stop:JSonFunc fixed",
                                      "Distance=distance:Integer",
                                      "HelperFunc=helperFunc:JSonFunc nojson fixed"}));
}

TEST(InteractionOptions, DropResizePositionSortableMemberTables) {
  auto drop = Make<TIWZQJQDropOptions>();
  EXPECT_EQ(
      Rows(drop.get()),
      (std::vector<std::string>{
          "Disabled=disabled:Boolean", "OnAccept=accept:JSonFunc", "ActiveClass=activeClass:String",
          "AddClasses=addClasses:Boolean", "Greedy=greedy:Boolean", "HoverClass=hoverClass:String",
          "Scope=scope:String", "Tolerance=tolerance:String", "OnCreate=create:JSonFunc",
          "OnActivate=activate:JSonFunc", "OnDeactivate=deactivate:JSonFunc",
          "OnOver=over:JSonFunc", "OnOut=out:JSonFunc", "OnDrop=drop:JSonFunc fixed"}));
  auto rs = Make<TIWZQJQResizeOptions>();
  EXPECT_EQ(Rows(rs.get()), (std::vector<std::string>{"Disabled=disabled:Boolean",
                                                      "AlsoResize=alsoResize:String",
                                                      "Animate=animate:Boolean",
                                                      "AnimateDuration=animateDuration:Variant",
                                                      "AnimateEasing=animateEasing:String",
                                                      "AspectRatio=aspectRatio:Variant",
                                                      "AutoHide=autoHide:Boolean",
                                                      "Cancel=cancel:String",
                                                      "Containment=containment:String",
                                                      "Delay=delay:Integer",
                                                      "Distance=distance:Integer",
                                                      "Ghost=ghost:Boolean",
                                                      "Grid=grid:JSonSimpleArray",
                                                      "Handles=handles:String",
                                                      "Helper=helper:String",
                                                      "MaxHeight=maxHeight:Integer",
                                                      "MaxWidth=maxWidth:Integer",
                                                      "MinHeight=minHeight:Integer",
                                                      "MinWidth=minWidth:Integer",
                                                      "OnCreate=create:JSonFunc",
                                                      "OnResize=resize:JSonFunc",
                                                      "OnStart=start:JSonFunc",
                                                      "OnStop=stop:JSonFunc fixed"}));
  auto pos = Make<TIWZQJQPositionOptions>();
  EXPECT_EQ(Rows(pos.get()),
            (std::vector<std::string>{"Enable=enable:Boolean nojson", "My=my:Enum", "At=at:Enum",
                                      "Of_=of:String", "OffSet=offset:String",
                                      "Collision=collision:String", "OnUsing=using:JSonFunc"}));
  auto so = Make<TIWZQJQSortableOptions>();
  std::vector<std::string> rows = Rows(so.get());
  ASSERT_EQ(rows.size(), 38u);
  EXPECT_EQ(rows[6], "Cursor=cursor:Enum");
  EXPECT_EQ(rows[13], "Grid=grid:JSonDynObjList");
  EXPECT_EQ(rows[23], "Tolerance=tolerance:Enum");
  EXPECT_EQ(rows[24], "zIndex=zIndex:Integer");
  EXPECT_EQ(rows[25], "OnCreate=create:JSonFunc");
  EXPECT_EQ(rows[29], "OnStop=stop:JSonFunc fixed");
  EXPECT_EQ(rows[30], "OnUpdate=update:JSonFunc");
  EXPECT_EQ(rows[37], "OnSort=sort:JSonFunc");
  auto at = Make<TIWZQJQCursorAt>();
  EXPECT_EQ(Rows(at.get()),
            (std::vector<std::string>{"Top=top:Integer", "Left=left:Integer", "Right=right:Integer",
                                      "Bottom=bottom:Integer"}));
}

TEST(InteractionOptions, EnumerationTexts) {
  EXPECT_EQ(ZqJsonTexts(TIWZQJQCursorTypes{}),
            (TZQStringArray{"auto", "crosshair", "default", "e-resize", "help", "move", "n-resize",
                            "ne-resize", "nw-resize", "pointer", "progress", "s-resize",
                            "se-resize", "sw-resize", "text", "w-resize", "wait"}));
  EXPECT_EQ(ZqEnumNames(TIWZQJQCursorTypes{}).size(), 17u);
  EXPECT_EQ(ZqEnumNames(TIWZQJQCursorTypes{})[jqctSeResize], "jqctSeResize");
  EXPECT_EQ(ZqJsonTexts(TIWZQJQPositionOptionsPos{}),
            (TZQStringArray{"left top", "left center", "left bottom", "center top", "center center",
                            "center bottom", "right top", "right center", "right bottom"}));
  EXPECT_EQ(ZqEnumNames(TIWZQJQPositionOptionsPos{})[jqpRightBottom], "jqpRightBottom");
  EXPECT_EQ(ZqJsonTexts(TIWZQJQSortableOptionsTolerance{}),
            (TZQStringArray{"intersect", "pointer"}));
  // The enumeration members write the texts.
  auto d = Make<TIWZQJQDragOptions>();
  d->SetCursor(jqctSeResize);
  EXPECT_EQ(Text(d.get()), "{cursor:\"se-resize\"}");
  d->SetCursor(jqctPointer);
  EXPECT_EQ(Text(d.get()), "{}");
}

TEST(InteractionOptions, DefaultsWriteAnEmptyLiteral) {
  auto d = Make<TIWZQJQDragOptions>();
  EXPECT_TRUE(d->GetDisabled());
  EXPECT_EQ(d->GetAppendTo(), "parent");
  EXPECT_EQ(d->GetHelper().ToString(), "original");
  EXPECT_EQ(d->GetRevertDuration(), 500);
  EXPECT_EQ(d->GetDistance(), 1);
  EXPECT_EQ(Text(d.get()), "{}");
  d->SetDisabled(false);
  d->SetAxis(Variant("x"));
  d->GetCursorAt()->SetLeft(5);
  EXPECT_EQ(Text(d.get()), "{cursorAt:{left:5},disabled:false,axis:\"x\"}");
  auto r = Make<TIWZQJQResizeOptions>();
  EXPECT_EQ(r->GetHandles(), "e, s, se");
  EXPECT_EQ(r->GetMinWidth(), 10);
  EXPECT_EQ(Text(r.get()), "{}");
  r->GetGrid()->Add("10");
  r->GetGrid()->Add("20");
  EXPECT_EQ(Text(r.get()), "{grid:[10,20]}");
  auto p = Make<TIWZQJQPositionOptions>();
  EXPECT_EQ(p->GetAt(), jqpoLeftBottom);
  p->SetEnable(true);
  p->SetOf_("#TARGET");
  EXPECT_EQ(Text(p.get()), "{of:\"#TARGET\"}");  // Enable is never written
}

TEST(InteractionOptions, DropClassesDefaultToHover) {
  auto d = Make<TIWZQJQDropOptions>();
  EXPECT_EQ(Text(d.get()), "{activeClass:\"ui-state-hover\",hoverClass:\"ui-state-hover\"}");
  d->SetActiveClass("glow");
  EXPECT_EQ(Text(d.get()), "{activeClass:\"glow\",hoverClass:\"ui-state-hover\"}");
}

TEST(InteractionOptions, SortableDisabledWrittenOnlyWhenTrue) {
  auto s = Make<TIWZQJQSortableOptions>();
  EXPECT_TRUE(s->GetDisabled());
  EXPECT_EQ(Text(s.get()), "{disabled:true}");
  s->SetDisabled(false);
  EXPECT_EQ(Text(s.get()), "{}");
  s->SetTolerance(jqsortTPointer);
  s->SetItems("li");
  EXPECT_EQ(Text(s.get()), "{items:\"li\",tolerance:\"pointer\"}");
  EXPECT_EQ(TIWZQJQSortableOptions::GetJsPrefix(), ".sortable");
}

TEST(InteractionOptions, DragHelperFuncReplacesHelper) {
  auto d = Make<TIWZQJQDragOptions>();
  d->SetHelper(Variant("clone"));
  EXPECT_EQ(Text(d.get()), "{helper:\"clone\"}");
  d->GetHelperFunc()->SetScript("function(){ return $('<div/>'); }");
  EXPECT_EQ(Text(d.get()), "{helper:function(){ return $('<div/>'); }}");
}

TEST(InteractionOptions, ErrorPlacementWritesAllOrNothing) {
  auto e = Make<TIWZQJQValidateErrorPosOptions>();
  EXPECT_EQ(e->GetAt(), jqpoRightTop);
  EXPECT_EQ(e->GetMy(), jqpoLeftTop);
  EXPECT_FALSE(IsStoredProp(e.get(), "At"));
  EXPECT_FALSE(IsStoredProp(e.get(), "My"));
  EXPECT_EQ(Text(e.get()), "{}");
  e->SetEnable(true);
  const std::string all = Text(e.get());
  for (const char* part :
       {"my:\"left top\"", "at:\"right top\"", "offset:\"0\"", "collision:\"flip\"", "of:\"\""})
    EXPECT_NE(all.find(part), std::string::npos) << all;
  EXPECT_EQ(all.find("enable"), std::string::npos) << all;
  e->SetAt(jqpoLeftBottom);
  EXPECT_TRUE(IsStoredProp(e.get(), "At"));
}

}  // namespace
}  // namespace zq
