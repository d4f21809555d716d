#include "host/context.h"

#include <algorithm>

#include "host/http.h"

namespace zq {

namespace {
bool Contains(const std::vector<std::string>& v, std::string_view s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}
bool AddOnce(std::vector<std::string>& v, std::string_view s) {
  if (s.empty() || Contains(v, s)) return false;
  v.emplace_back(s);
  return true;
}
}  // namespace

TIWPageContext40::TIWPageContext40(TIWApplication* app, TIWAppForm* form)
    : app_(app),
      form_(form),
      hidden_(std::make_unique<TIWHTMLTag>("div")),
      body_(std::make_unique<TIWHTMLTag>("body")) {}

TIWPageContext40::~TIWPageContext40() = default;

bool TIWPageContext40::AddLinkFile(std::string_view url) { return AddOnce(linkFiles_, url); }
bool TIWPageContext40::AddScriptFile(std::string_view url) { return AddOnce(scriptFiles_, url); }
bool TIWPageContext40::AddPreScriptFile(std::string_view url) { return AddOnce(preScriptFiles_, url); }
bool TIWPageContext40::HasLinkFile(std::string_view url) const { return Contains(linkFiles_, url); }
bool TIWPageContext40::HasScriptFile(std::string_view url) const { return Contains(scriptFiles_, url); }

std::string TIWPageContext40::RenderLinkFiles() const {
  std::string r;
  for (const auto& f : linkFiles_) r += "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + HTMLEscape(f) + "\">\r\n";
  return r;
}

namespace {
std::string ScriptTags(const std::vector<std::string>& files) {
  std::string r;
  for (const auto& f : files) r += "<script type=\"text/javascript\" src=\"" + HTMLEscape(f) + "\"></script>\r\n";
  return r;
}
}  // namespace

std::string TIWPageContext40::RenderScriptFiles() const { return ScriptTags(scriptFiles_); }
std::string TIWPageContext40::RenderPreScriptFiles() const { return ScriptTags(preScriptFiles_); }

bool TIWPageContext40::AddToJavaScriptOnce(std::string_view script) { return AddOnce(javaScript_, script); }

void TIWPageContext40::PrependJavaScript(std::string_view script) {
  if (!script.empty()) javaScript_.insert(javaScript_.begin(), std::string(script));
}

std::string TIWPageContext40::GetJavaScript() const {
  std::string r;
  for (const auto& s : javaScript_) {
    if (!r.empty()) r += "\r\n";
    r += s;
  }
  return r;
}

void TIWPageContext40::Append(std::string& to, std::string_view s) {
  if (s.empty()) return;
  if (!to.empty() && to.back() != '\n') to += "\r\n";
  to += s;
}

std::string TIWPageContext40::RenderStyleTag() const {
  if (styles_.empty()) return {};
  return "<style type=\"text/css\">" + styles_ + "</style>";
}

void TIWPageContext40::AddHiddenField(std::string_view name, std::string_view value) {
  TIWHTMLTag* t = hidden_->AddTag("input", TIWHTMLTag::TClosingTag::ctdNone);
  t->AddStringParam("type", "hidden");
  t->AddStringParam("name", name);
  t->AddStringParam("id", name);
  t->AddStringParam("value", value);
}

void TIWPageContext40::SetFormContainerContext(std::unique_ptr<TIWContainerContext> ctx) {
  formContext_ = std::move(ctx);
}

TIWCompContext::TIWCompContext(TIWBaseHTML40Component* component, TIWContainerContext* container,
                               TIWPageContext40* page)
    : component_(component), container_(container), page_(page) {}

TIWContainerContext::TIWContainerContext(TIWBaseHTML40Component* container, TIWPageContext40* page)
    : container_(container), page_(page) {}

TIWContainerContext::~TIWContainerContext() = default;

const TIWContainerContext::Item* TIWContainerContext::FindItem(const TIWBaseHTML40Component* c) const {
  for (const auto& it : items_)
    if (it.context->Component() == c) return &it;
  return nullptr;
}

TIWCompContext* TIWContainerContext::AddComponent(TIWBaseHTML40Component* component) {
  if (const Item* it = FindItem(component)) return it->context.get();
  items_.push_back({std::make_unique<TIWCompContext>(component, this, page_), nullptr});
  return items_.back().context.get();
}

TIWCompContext* TIWContainerContext::Find(const TIWBaseHTML40Component* component) const {
  const Item* it = FindItem(component);
  return it ? it->context.get() : nullptr;
}

void TIWContainerContext::SetTag(const TIWBaseHTML40Component* component, std::unique_ptr<TIWHTMLTag> tag) {
  for (auto& it : items_)
    if (it.context->Component() == component) {
      it.tag = std::move(tag);
      return;
    }
}

TIWHTMLTag* TIWContainerContext::Tag(const TIWBaseHTML40Component* component) const {
  const Item* it = FindItem(component);
  return it ? it->tag.get() : nullptr;
}

std::unique_ptr<TIWHTMLTag> TIWContainerContext::TakeTag(const TIWBaseHTML40Component* component) {
  for (auto& it : items_)
    if (it.context->Component() == component) return std::move(it.tag);
  return nullptr;
}

}  // namespace zq
