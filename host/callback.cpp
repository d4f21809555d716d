#include "host/callback.h"

#include "host/http.h"

namespace zq {

namespace {
const char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
constexpr std::string_view kOpen = "<![CDATA[";
constexpr std::string_view kClose = "]]>";
}  // namespace

std::string CDataSection(std::string_view text) {
  std::string r(kOpen);
  size_t pos = 0;
  for (;;) {
    size_t hit = text.find(kClose, pos);
    if (hit == std::string_view::npos) break;
    r.append(text.substr(pos, hit - pos));
    r += "]]]]><![CDATA[>";
    pos = hit + kClose.size();
  }
  r.append(text.substr(pos));
  r += kClose;
  return r;
}

TIWCallBackResponse::TIWCallBackResponse() = default;
TIWCallBackResponse::~TIWCallBackResponse() = default;

void TIWCallBackResponse::AddJavaScriptToExecute(std::string_view script) {
  if (script.empty()) return;
  scripts_.emplace_back(script);
}

void TIWCallBackResponse::AddUpdate(std::string_view id, std::string_view html) {
  for (auto& u : updates_)
    if (u.id == id) {
      u.html = std::string(html);
      return;
    }
  updates_.push_back({std::string(id), std::string(html)});
}

void TIWCallBackResponse::AddControlTag(std::unique_ptr<TIWHTMLTag> tag) {
  if (tag) tags_.push_back(std::move(tag));
}

void TIWCallBackResponse::Clear() {
  scripts_.clear();
  updates_.clear();
  tags_.clear();
}

std::string TIWCallBackResponse::Render() const {
  std::string r = kXmlHead;
  r += "<response>";
  for (const auto& u : updates_) r += "<update id=\"" + HTMLEscape(u.id) + "\">" + CDataSection(u.html) + "</update>";
  for (const auto& t : tags_) r += t->RenderToString();
  for (const auto& s : scripts_) r += "<execute>" + CDataSection(s) + "</execute>";
  r += "</response>";
  return r;
}

std::string TIWCallBackResponse::RenderError(std::string_view message) {
  return std::string(kXmlHead) + "<response><error>" + CDataSection(message) + "</error></response>";
}

std::string TIWCallBackResponse::RenderExpired() {
  return std::string(kXmlHead) + "<response><expired/></response>";
}

}  // namespace zq
