// DOM event bindings, ajax cookies.
//
// TIWZQJQEvents: an option object whose thirteen function members are the
// ordinary DOM events of a control's element. Its JSON is not given to a
// widget: GetRenderJavascript(true) turns it into jQuery ".on" bindings on the
// control's element, GetRenderJavascript(false) into ".off" unbindings. The
// key events send the key code as the request parameter "key" and start by
// marking the control's content as changed (OnControlContentChange(e)).
//
// TIWZQJQAjaxCookie: the options of the jQuery cookie plug-in, with helpers
// that write the script setting, reading and removing a browser cookie.
// The host-tag lookup TIWZQHTMLTag is in events/htmltag.h.
#pragma once

#include <string>

#include "options/jsonlist.h"
#include "options/jsonobj.h"
#include "options/optionrows.h"

namespace zq {

class TIWZQJSonFunc;

#define ZQ_DOM_EVENT_ROWS(X)                              \
  X(Func, OnClick, "click", "e", kZQFixedScript)         \
  X(Func, OnDblClick, "dblclick", "e", kZQFixedScript)   \
  X(Func, OnMouseOut, "mouseout", "e", kZQFixedScript)   \
  X(Func, OnMouseOver, "mouseover", "e", kZQFixedScript) \
  X(Func, OnMouseUp, "mouseup", "e", kZQFixedScript)     \
  X(Func, OnMouseWheel, "mousewheel", "e", kZQFixedScript) \
  X(Func, OnKeyDown, "keydown", "e", kZQFixedScript)     \
  X(Func, OnKeyPress, "keypress", "e", kZQFixedScript)   \
  X(Func, OnKeyUp, "keyup", "e", kZQFixedScript)         \
  X(Func, OnChange, "change", "e", kZQFixedScript)       \
  X(Func, OnSelect, "select", "e", kZQFixedScript)       \
  X(Func, OnBlur, "blur", "e", kZQFixedScript)           \
  X(Func, OnFocus, "focus", "e", kZQFixedScript)

class TIWZQJQEvents : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQEvents, TIWZQJSon, ZQ_DOM_EVENT_ROWS)
  explicit TIWZQJQEvents(TCollection* Collection = nullptr);
  void Initialize() override;
  void BeforeDestruction() override;

  // The function of the event at a member position (kOnClick ... kOnFocus).
  TIWZQJSonFunc* Event(int AIndex);

  // The owning control's element expression ($("#ID")).
  std::string GetJQElementID();
  // "OnControlContentChange(e);" for a key event with script or a handler.
  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override;
  // ".on" (bind) or ".off" lines for every event that has script.
  std::string GetRenderJavascript(bool ABind);
  // A function changed during a callback is bound again: ".off" of the
  // event, then ".on" with the new function when it has script.
  bool SupportsSetter(TIWZQJSon* AObject, TZQJSonMember* AMember) override;
  void GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers, TStringList* AScript) override;
};
using TIWZQJQEventsClass = const ClassInfo*;

#define ZQ_AJAX_COOKIE_ROWS(X)       \
  X(Integer, Expires, "expires", 0) \
  X(String, Path, "path", "")       \
  X(String, Domain, "domain", "")   \
  X(Boolean, Secure, "secure", false) \
  X(Boolean, Raw, "raw", false)

class TIWZQJQAjaxCookie : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQAjaxCookie, TIWZQJSon, ZQ_AJAX_COOKIE_ROWS)
  using TIWZQJSon::TIWZQJSon;
  void BeforeDestruction() override;

  // ZQJQuery + ".cookie".
  static std::string GetJsPrefix();
  std::string JsCreateCookie(const std::string& AName, const std::string& AValue, bool AValueIsScript);
  std::string JsCreateCookieEx(const std::string& AName, const std::string& AValue, bool AValueIsScript, int AExpires,
                               const std::string& APath, const std::string& ADomain, bool ASecure, bool ARaw);
  std::string JsReadCookie(const std::string& AName);
  std::string JsReadCookieEx(const std::string& AName, const std::string& APath, const std::string& ADomain,
                             bool ASecure, bool ARaw);
  std::string JsRemoveCookie(const std::string& AName);
  std::string JsRemoveCookieEx(const std::string& AName, const std::string& APath, const std::string& ADomain,
                               bool ASecure, bool ARaw);
  // The same on a temporary cookie object.
  static std::string JsAddCookie(const std::string& AName, const std::string& AValue, bool AValueIsScript,
                                 int AExpires = 0, const std::string& APath = {}, const std::string& ADomain = {},
                                 bool ASecure = false, bool ARaw = false);
  static std::string JsGetCookie(const std::string& AName, const std::string& APath = {},
                                 const std::string& ADomain = {}, bool ASecure = false, bool ARaw = false);
  static std::string JsDeleteCookie(const std::string& AName, const std::string& APath = {},
                                    const std::string& ADomain = {}, bool ASecure = false, bool ARaw = false);

 private:
  // "," + the options JSON when it is a non-empty object.
  std::string OptionsArg();
  void SetOptions(int AExpires, const std::string& APath, const std::string& ADomain, bool ASecure, bool ARaw);
};

class TIWZQJQAjaxCookieList : public TIWZQJSonList {
  ZQ_CLASS(TIWZQJQAjaxCookieList, TIWZQJSonList)
  TIWZQJQAjaxCookieList() : TIWZQJSonList(TIWZQJQAjaxCookie::StaticClass(), 0) {}
  static TIWZQJQAjaxCookieList* Create(TPersistent* AOwner, std::string_view APropName) {
    return CreateList<TIWZQJQAjaxCookieList>(AOwner, APropName);
  }
  TIWZQJQAjaxCookie* Add() { return static_cast<TIWZQJQAjaxCookie*>(TIWZQJSonList::Add()); }
  TIWZQJQAjaxCookie* Insert(int AIndex) { return static_cast<TIWZQJQAjaxCookie*>(TIWZQJSonList::Insert(AIndex)); }
  TIWZQJQAjaxCookie* Items(int AIndex) const { return static_cast<TIWZQJQAjaxCookie*>(TIWZQJSonList::Items(AIndex)); }
};

}  // namespace zq
