#include "foundation/html.h"

namespace zq {

std::string HTMLEscape(std::string_view text) {
  std::string r;
  r.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
      case '&':
        r += "&amp;";
        break;
      case '<':
        r += "&lt;";
        break;
      case '>':
        r += "&gt;";
        break;
      case '"':
        r += "&quot;";
        break;
      case '\'':
        r += "&#39;";
        break;
      default:
        r.push_back(c);
    }
  }
  return r;
}

TIWHTMLTag::TIWHTMLTag(std::string name, TClosingTag closing)
    : name_(std::move(name)), closing_(closing) {}

TIWHTMLTag::~TIWHTMLTag() = default;

void TIWHTMLTag::AddStringParam(std::string_view name, std::string_view value) {
  for (auto& p : params_)
    if (p.name == name) {
      p.value = std::string(value);
      p.hasValue = true;
      return;
    }
  params_.push_back({std::string(name), std::string(value), true});
}

void TIWHTMLTag::AddIntegerParam(std::string_view name, long long value) {
  AddStringParam(name, std::to_string(value));
}

void TIWHTMLTag::AddBoolParam(std::string_view name) {
  for (auto& p : params_)
    if (p.name == name) {
      p.hasValue = false;
      p.value.clear();
      return;
    }
  params_.push_back({std::string(name), std::string(), false});
}

void TIWHTMLTag::AddClassParam(std::string_view cls) {
  if (cls.empty()) return;
  std::string cur = GetParam("class");
  AddStringParam("class", cur.empty() ? std::string(cls) : cur + " " + std::string(cls));
}

bool TIWHTMLTag::HasParam(std::string_view name) const {
  for (const auto& p : params_)
    if (p.name == name) return true;
  return false;
}

std::string TIWHTMLTag::GetParam(std::string_view name) const {
  for (const auto& p : params_)
    if (p.name == name) return p.value;
  return {};
}

void TIWHTMLTag::RemoveParam(std::string_view name) {
  for (auto it = params_.begin(); it != params_.end(); ++it)
    if (it->name == name) {
      params_.erase(it);
      return;
    }
}

void TIWHTMLTag::AddText(std::string_view text) {
  contents_.push_back({Content::Text, std::string(text), nullptr});
}

void TIWHTMLTag::AddRawText(std::string_view html) {
  contents_.push_back({Content::Raw, std::string(html), nullptr});
}

TIWHTMLTag* TIWHTMLTag::AddTag(std::string name, TClosingTag closing) {
  return AddTag(std::make_unique<TIWHTMLTag>(std::move(name), closing));
}

TIWHTMLTag* TIWHTMLTag::AddTag(std::unique_ptr<TIWHTMLTag> tag) {
  TIWHTMLTag* raw = tag.get();
  if (!raw) return nullptr;
  contents_.push_back({Content::Tag, std::string(), std::move(tag)});
  return raw;
}

void TIWHTMLTag::ClearContents() {
  contents_.clear();
}

std::vector<TIWHTMLTag*> TIWHTMLTag::ChildTags() const {
  std::vector<TIWHTMLTag*> r;
  for (const auto& c : contents_)
    if (c.kind == Content::Tag) r.push_back(c.tag.get());
  return r;
}

void TIWHTMLTag::Render(TIWRenderStream& stream) const {
  if (name_.empty()) {  // a tag without a name writes only its contents
    for (const auto& c : contents_) {
      if (c.kind == Content::Tag)
        c.tag->Render(stream);
      else
        stream.WriteString(c.kind == Content::Text ? HTMLEscape(c.text) : c.text);
    }
    return;
  }
  std::string open = "<" + name_;
  for (const auto& p : params_) {
    open += " " + p.name;
    if (p.hasValue) open += "=\"" + HTMLEscape(p.value) + "\"";
  }
  if (!asyncStyles_.empty()) {
    std::string style;
    for (const auto& s : asyncStyles_) {
      if (!style.empty()) style += ";";
      style += s;
    }
    open += " style=\"" + HTMLEscape(style) + "\"";
  }
  if (closing_ == TClosingTag::ctdAuto && contents_.empty()) {
    stream.WriteString(open + "/>");
    return;
  }
  stream.WriteString(open + ">");
  if (closing_ == TClosingTag::ctdNone) return;
  for (const auto& c : contents_) {
    if (c.kind == Content::Tag)
      c.tag->Render(stream);
    else
      stream.WriteString(c.kind == Content::Text ? HTMLEscape(c.text) : c.text);
  }
  stream.WriteString("</" + name_ + ">");
}

std::string TIWHTMLTag::RenderToString() const {
  TIWRenderStream s;
  Render(s);
  return s.Extract();
}

}  // namespace zq
