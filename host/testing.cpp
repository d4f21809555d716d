#include "host/testing.h"

#include "foundation/exception.h"
#include "framework/startup.h"

namespace zq::hosttest {

std::string EncodeFields(const TFields& fields) {
  std::string r;
  for (const auto& [n, v] : fields) {
    if (!r.empty()) r += "&";
    r += HTTPEncode(n) + "=" + HTTPEncode(v);
  }
  return r;
}

namespace {

// The text of an element's contents: CDATA sections joined, plain text kept.
std::string ElementText(const std::string& inner) {
  std::string r;
  size_t pos = 0;
  while (pos < inner.size()) {
    size_t open = inner.find("<![CDATA[", pos);
    if (open == std::string::npos) {
      r += inner.substr(pos);
      break;
    }
    r += inner.substr(pos, open - pos);
    size_t close = inner.find("]]>", open + 9);
    if (close == std::string::npos) throw Exception("Unterminated CDATA section");
    r += inner.substr(open + 9, close - open - 9);
    pos = close + 3;
  }
  return r;
}

std::string Attr(const std::string& tag, const std::string& name) {
  size_t p = tag.find(" " + name + "=\"");
  if (p == std::string::npos) return {};
  p += name.size() + 3;
  return tag.substr(p, tag.find('"', p) - p);
}

}  // namespace

TCallbackResult ParseCallbackResponse(int code, const std::string& xml) {
  TCallbackResult r;
  r.Code = code;
  r.Body = xml;
  size_t pos = xml.find("<response>");
  if (pos == std::string::npos) return r;
  pos += 10;
  while (pos < xml.size()) {
    size_t lt = xml.find('<', pos);
    if (lt == std::string::npos || xml.compare(lt, 11, "</response>") == 0) break;
    size_t gt = xml.find('>', lt);
    std::string open = xml.substr(lt, gt - lt + 1);
    std::string name = open.substr(1, open.find_first_of(" />", 1) - 1);
    if (open.size() >= 2 && open[open.size() - 2] == '/') {
      if (name == "expired") r.Expired = true;
      if (name == "control") r.ControlTags.push_back(open);
      pos = gt + 1;
      continue;
    }
    // Find the closing tag, skipping CDATA sections.
    size_t p = gt + 1;
    std::string closeTag = "</" + name + ">";
    for (;;) {
      size_t cd = xml.find("<![CDATA[", p);
      size_t cl = xml.find(closeTag, p);
      if (cl == std::string::npos) throw Exception("Unterminated element " + name);
      if (cd != std::string::npos && cd < cl) {
        p = xml.find("]]>", cd + 9) + 3;
        continue;
      }
      std::string inner = xml.substr(gt + 1, cl - gt - 1);
      if (name == "execute") r.Scripts.push_back(ElementText(inner));
      else if (name == "update") r.Updates.emplace_back(Attr(open, "id"), ElementText(inner));
      else if (name == "error") r.Error = ElementText(inner);
      else if (name == "control") r.ControlTags.push_back(xml.substr(lt, cl + closeTag.size() - lt));
      pos = cl + closeTag.size();
      break;
    }
  }
  return r;
}

THostFixture::THostFixture(TFormFactory factory, std::function<void(TIWServerController&)> configure)
    : controller_(Create<TIWServerController>()) {
  controller_->SetMainFormFactory(std::move(factory));
  // Started before the set-up: what it places on the controller (a lock
  // indicator, say) is made of option objects, which need the library.
  ZQLibraryStartup(*controller_);
  if (configure) configure(*controller_);
  THTTPRequest req;
  req.URL.assign(1, '/');  // the site root
  req.SetHeader("User-Agent", "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36");
  controller_->HandleRequest(req, firstPage_);
  for (const auto& c : firstPage_.Cookies())
    if (c.Name == "ZQSESSION") cookie_ = c.Value;
  session_ = controller_->FindSession(cookie_);
  if (!session_) throw Exception("The first page request made no session: " + firstPage_.Body());
}

THostFixture::~THostFixture() {
  // The sessions go while the hooks are in place; the controller outlives
  // the shutdown, which takes its handlers back.
  session_.reset();
  controller_->EndAllSessions();
  ZQLibraryShutdown();
  controller_.reset();
}

THTTPRequest THostFixture::MakeRequest(const std::string& method, const std::string& url) const {
  THTTPRequest req;
  req.Method = method;
  req.URL = url;
  req.SetHeader("Cookie", "ZQSESSION=" + cookie_);
  return req;
}

THTTPReply THostFixture::Send(THTTPRequest& request) {
  THTTPReply reply;
  controller_->HandleRequest(request, reply);
  reply.DrainStream();  // a streamed body is read here as a server would send it
  return reply;
}

THTTPReply THostFixture::Get(const std::string& url) {
  THTTPRequest req = MakeRequest("GET", url);
  return Send(req);
}

TCallbackResult THostFixture::Callback(const std::string& name, const TFields& fields, bool withToken) {
  THTTPRequest req = MakeRequest("POST", "/$/callback?callback=" + HTTPEncode(name));
  req.SetHeader("Content-Type", "application/x-www-form-urlencoded");
  TFields all = fields;
  if (withToken) all.emplace_back("ZQ_TOKEN", Token());
  req.Content = EncodeFields(all);
  THTTPReply reply = Send(req);
  return ParseCallbackResponse(reply.Code(), reply.Body());
}

THTTPReply THostFixture::Submit(const std::string& submitter, const std::string& param, const TFields& fields,
                                bool withToken) {
  THTTPRequest req = MakeRequest("POST", "/");
  req.SetHeader("Content-Type", "application/x-www-form-urlencoded");
  TFields all = fields;
  all.emplace_back("ZQ_SUBMITTER", submitter);
  all.emplace_back("ZQ_SUBMITPARAM", param);
  if (withToken) all.emplace_back("ZQ_TOKEN", Token());
  req.Content = EncodeFields(all);
  return Send(req);
}

}  // namespace zq::hosttest
