// Render contexts. A page render (or an async region render during a
// callback) has one TIWPageContext40 that gathers everything a page needs
// besides the control tags: link and script files (each written once),
// script written once, client-object (IWCL) init code, init code, do-last code,
// on-ready code, styles, extra header lines, the hidden fields, the body tag and
// body script, and the focus code. Each container being rendered has a
// TIWContainerContext holding one TIWCompContext (and the rendered tag) per
// child control; a TIWCompContext forwards its adders to the page context.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/html.h"

namespace zq {

class TIWApplication;
class TIWAppForm;
class TIWBaseHTML40Component;
class TIWContainerContext;

class TIWPageContext40 {
 public:
  explicit TIWPageContext40(TIWApplication* app = nullptr, TIWAppForm* form = nullptr);
  ~TIWPageContext40();
  TIWPageContext40(const TIWPageContext40&) = delete;
  TIWPageContext40& operator=(const TIWPageContext40&) = delete;

  TIWApplication* WebApplication() const { return app_; }
  TIWAppForm* Form() const { return form_; }

  // Files for the head, each URL once, in the order first added. The Add...
  // functions return false when the URL was already there.
  bool AddLinkFile(std::string_view url);
  bool AddScriptFile(std::string_view url);
  bool AddPreScriptFile(std::string_view url);
  const std::vector<std::string>& LinkFiles() const { return linkFiles_; }
  const std::vector<std::string>& ScriptFiles() const { return scriptFiles_; }
  const std::vector<std::string>& PreScriptFiles() const { return preScriptFiles_; }
  bool HasLinkFile(std::string_view url) const;
  bool HasScriptFile(std::string_view url) const;
  // <link rel="stylesheet" ...> / <script ... src="..."></script> tags, one a line (CR LF).
  std::string RenderLinkFiles() const;
  std::string RenderScriptFiles() const;
  std::string RenderPreScriptFiles() const;

  // Page-global script: a text given twice is written once.
  bool AddToJavaScriptOnce(std::string_view script);
  // Puts a text in front of the page-global script (always, no dedup).
  void PrependJavaScript(std::string_view script);
  // The global script texts joined with CR LF.
  std::string GetJavaScript() const;

  void AddToIWCLInitProc(std::string_view script) { Append(iwclInit_, script); }
  void AddToInitProc(std::string_view script) { Append(init_, script); }
  void AddToInitProcDoLastCode(std::string_view script) { Append(doLast_, script); }
  void AddToOnReady(std::string_view script) { Append(onReady_, script); }
  const std::string& GetIWCLInitProc() const { return iwclInit_; }
  const std::string& GetInitProc() const { return init_; }
  const std::string& GetInitProcDoLastCode() const { return doLast_; }
  const std::string& GetOnReadyProc() const { return onReady_; }
  void SetOnReadyProc(std::string text) { onReady_ = std::move(text); }
  void ClearInitProc() { init_.clear(); }

  // CSS rules for the page's <style> element.
  void AddStyle(std::string_view css) { Append(styles_, css); }
  const std::string& GetStyles() const { return styles_; }
  // "<style type=\"text/css\">" + styles + "</style>", or empty without styles.
  std::string RenderStyleTag() const;

  // Raw lines written into the head after the meta tags.
  std::vector<std::string>& ExtraHeader() { return extraHeader_; }
  const std::vector<std::string>& ExtraHeader() const { return extraHeader_; }
  void AddToExtraHeader(std::string_view line) { extraHeader_.emplace_back(line); }

  // The hidden inputs, written inside the submit form. Its tag is a plain "div"
  // without attributes whose contents are the <input type="hidden"> tags.
  TIWHTMLTag& HiddenFieldTag() { return *hidden_; }
  void AddHiddenField(std::string_view name, std::string_view value);

  // The body tag (attributes and extra contents written before the form) and
  // the body script, run at the end of the page after the init code.
  TIWHTMLTag& BodyTag() { return *body_; }
  std::string& BodyScript() { return bodyScript_; }
  const std::string& BodyScript() const { return bodyScript_; }

  // Script that sets the initial focus, run last.
  void SetFocusInitCode(std::string code) { focus_ = std::move(code); }
  const std::string& GetFocusInitCode() const { return focus_; }

  // The container context of the form being rendered (owned here).
  TIWContainerContext* FormContainerContext() const { return formContext_.get(); }
  void SetFormContainerContext(std::unique_ptr<TIWContainerContext> ctx);

 private:
  static void Append(std::string& to, std::string_view s);
  TIWApplication* app_;
  TIWAppForm* form_;
  std::vector<std::string> linkFiles_, scriptFiles_, preScriptFiles_, javaScript_, extraHeader_;
  std::string iwclInit_, init_, doLast_, onReady_, styles_, bodyScript_, focus_;
  std::unique_ptr<TIWHTMLTag> hidden_, body_;
  std::unique_ptr<TIWContainerContext> formContext_;
};

class TIWCompContext {
 public:
  TIWCompContext(TIWBaseHTML40Component* component, TIWContainerContext* container, TIWPageContext40* page);

  TIWBaseHTML40Component* Component() const { return component_; }
  TIWContainerContext* ContainerContext() const { return container_; }
  TIWPageContext40* PageContext() const { return page_; }
  TIWApplication* WebApplication() const { return page_ ? page_->WebApplication() : nullptr; }

  bool AddToJavaScriptOnce(std::string_view script) { return page_->AddToJavaScriptOnce(script); }
  void AddToIWCLInitProc(std::string_view script) { page_->AddToIWCLInitProc(script); }
  void AddToInitProc(std::string_view script) { page_->AddToInitProc(script); }
  void AddToInitProcDoLastCode(std::string_view script) { page_->AddToInitProcDoLastCode(script); }
  void AddToOnReady(std::string_view script) { page_->AddToOnReady(script); }

 private:
  TIWBaseHTML40Component* component_;
  TIWContainerContext* container_;
  TIWPageContext40* page_;
};

// The contexts and rendered tags of a container's children, in render order.
class TIWContainerContext {
 public:
  TIWContainerContext(TIWBaseHTML40Component* container, TIWPageContext40* page);
  ~TIWContainerContext();

  TIWBaseHTML40Component* Container() const { return container_; }
  TIWPageContext40* PageContext() const { return page_; }
  // Set when the whole container is to be rendered again (callback updates).
  bool UpdateTree = false;

  // Creates the context of a child (or returns the existing one).
  TIWCompContext* AddComponent(TIWBaseHTML40Component* component);
  TIWCompContext* Find(const TIWBaseHTML40Component* component) const;
  // Stores the rendered tag of a child (replacing an earlier one).
  void SetTag(const TIWBaseHTML40Component* component, std::unique_ptr<TIWHTMLTag> tag);
  TIWHTMLTag* Tag(const TIWBaseHTML40Component* component) const;
  std::unique_ptr<TIWHTMLTag> TakeTag(const TIWBaseHTML40Component* component);
  size_t Count() const { return items_.size(); }

 private:
  struct Item {
    std::unique_ptr<TIWCompContext> context;
    std::unique_ptr<TIWHTMLTag> tag;
  };
  const Item* FindItem(const TIWBaseHTML40Component* c) const;
  TIWBaseHTML40Component* container_;
  TIWPageContext40* page_;
  std::vector<Item> items_;
};

}  // namespace zq
