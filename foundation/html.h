// HTML (and XML) tags and the render stream they are written to.
//
// A TIWHTMLTag has a name, attributes in the order added and contents: escaped
// text, raw markup and child tags. Attribute values and text are escaped for
// & < > " ' when rendered; raw markup is written as it is.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zq {

// Escapes & < > " ' for HTML text and attribute values.
std::string HTMLEscape(std::string_view text);

class TIWRenderStream {
 public:
  TIWRenderStream() = default;
  void WriteString(std::string_view s) { text_ += s; }
  void WriteLine(std::string_view s) {
    text_ += s;
    text_ += "\r\n";
  }
  TIWRenderStream& operator<<(std::string_view s) {
    text_ += s;
    return *this;
  }
  const std::string& AsString() const { return text_; }
  std::string Extract() { return std::move(text_); }
  size_t Size() const { return text_.size(); }
  void Clear() { text_.clear(); }

 private:
  std::string text_;
};

class TIWHTMLTag {
 public:
  // How the tag is closed: "<br>" (none), "<a></a>" (full, the default) or
  // "<control/>" (self-closed when empty, for XML tags).
  enum class TClosingTag { ctdNone, ctdFull, ctdAuto };

  explicit TIWHTMLTag(std::string name, TClosingTag closing = TClosingTag::ctdFull);
  TIWHTMLTag(const TIWHTMLTag&) = delete;
  TIWHTMLTag& operator=(const TIWHTMLTag&) = delete;
  virtual ~TIWHTMLTag();

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  TClosingTag ClosingTag() const { return closing_; }
  void SetClosingTag(TClosingTag c) { closing_ = c; }

  // Attributes. A second Add... of the same name replaces the value in place.
  void AddStringParam(std::string_view name, std::string_view value);
  void AddIntegerParam(std::string_view name, long long value);
  void AddBoolParam(std::string_view name);  // attribute without a value, e.g. "disabled"
  void AddClassParam(std::string_view cls);  // appends to "class", blank-separated
  bool HasParam(std::string_view name) const;
  std::string GetParam(std::string_view name) const;  // unescaped value, empty when absent
  void RemoveParam(std::string_view name);
  size_t ParamCount() const { return params_.size(); }

  // Contents.
  void AddText(std::string_view text);     // escaped
  void AddRawText(std::string_view html);  // written as is
  TIWHTMLTag* AddTag(std::string name, TClosingTag closing = TClosingTag::ctdFull);
  TIWHTMLTag* AddTag(std::unique_ptr<TIWHTMLTag> tag);
  void ClearContents();
  bool HasContents() const { return !contents_.empty(); }
  // The child tags, in order.
  std::vector<TIWHTMLTag*> ChildTags() const;

  // Async styles ("name:value"), written joined by ";" as the "style"
  // attribute of an XML tag sent in an ajax response.
  void AddAsyncStyle(std::string_view style) { asyncStyles_.emplace_back(style); }
  const std::vector<std::string>& AsyncStyles() const { return asyncStyles_; }

  virtual void Render(TIWRenderStream& stream) const;
  std::string RenderToString() const;

 private:
  struct Param {
    std::string name, value;
    bool hasValue;
  };
  struct Content {
    enum Kind { Text, Raw, Tag } kind;
    std::string text;
    std::unique_ptr<TIWHTMLTag> tag;
  };
  std::string name_;
  TClosingTag closing_;
  std::vector<Param> params_;
  std::vector<Content> contents_;
  std::vector<std::string> asyncStyles_;
};

// An XML tag for ajax responses: closed with "/>" when it has no contents.
class TIWXMLTag : public TIWHTMLTag {
 public:
  explicit TIWXMLTag(std::string name) : TIWHTMLTag(std::move(name), TClosingTag::ctdAuto) {}
};

}  // namespace zq
