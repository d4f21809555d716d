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

class TIWZQJQEvents : public TIWZQJSon {
  ZQ_CLASS(TIWZQJQEvents, TIWZQJSon)
  explicit TIWZQJQEvents(TCollection* Collection = nullptr);
  void Initialize() override;
  void BeforeDestruction() override;

  // Member positions, in property order.
  enum TEvent {
    evClick, evDblClick, evMouseOut, evMouseOver, evMouseUp, evMouseWheel, evKeyDown,
    evKeyPress, evKeyUp, evChange, evSelect, evBlur, evFocus, evCount
  };
  TIWZQJSonFunc* Event(int AIndex);
  TIWZQJSonFunc* OnClick() { return Event(evClick); }
  TIWZQJSonFunc* OnDblClick() { return Event(evDblClick); }
  TIWZQJSonFunc* OnMouseOut() { return Event(evMouseOut); }
  TIWZQJSonFunc* OnMouseOver() { return Event(evMouseOver); }
  TIWZQJSonFunc* OnMouseUp() { return Event(evMouseUp); }
  TIWZQJSonFunc* OnMouseWheel() { return Event(evMouseWheel); }
  TIWZQJSonFunc* OnKeyDown() { return Event(evKeyDown); }
  TIWZQJSonFunc* OnKeyPress() { return Event(evKeyPress); }
  TIWZQJSonFunc* OnKeyUp() { return Event(evKeyUp); }
  TIWZQJSonFunc* OnChange() { return Event(evChange); }
  TIWZQJSonFunc* OnSelect() { return Event(evSelect); }
  TIWZQJSonFunc* OnBlur() { return Event(evBlur); }
  TIWZQJSonFunc* OnFocus() { return Event(evFocus); }

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

 protected:
  void AddMembers() override;
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
