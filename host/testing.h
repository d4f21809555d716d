// In-process test support: a server controller with a main form, a session
// made by a first page request, and helpers that post callbacks and submits
// through HandleRequest and read the XML callback response back. The fixture
// holds a library start-up with its controller (framework/startup.h) for its
// lifetime, so the tests run with the hooks an application has (the URL
// action map and the image cache too, when the test links them); it is built
// as zq_testing, on top of the framework.
//
//   zq::hosttest::THostFixture host([](zq::TIWApplication& app) {
//     auto* f = zq::Create<zq::TIWAppForm>(&app);
//     f->SetName("MainForm");
//     ...
//     return f;
//   });
//   auto r = host.Callback("BUTTON1.DoAjaxRequest", {{"ajaxevent", "OnClick"}});
//   EXPECT_EQ(r.Scripts, ...);
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/object.h"
#include "host/application.h"
#include "host/controls.h"
#include "host/http.h"
#include "host/servercontroller.h"

namespace zq::hosttest {

using TFields = std::vector<std::pair<std::string, std::string>>;

// "a=1&b=2", names and values percent-encoded.
std::string EncodeFields(const TFields& fields);

// A callback response, read back.
struct TCallbackResult {
  int Code = 0;
  std::string Body;
  std::vector<std::string> Scripts;                           // <execute>, in order
  std::vector<std::pair<std::string, std::string>> Updates;  // <update id>, outer HTML
  std::vector<std::string> ControlTags;                       // <control .../> as written
  std::string Error;                                          // <error>
  bool Expired = false;                                       // <expired/>
};
// Parses the XML callback document (CDATA pieces of an element are joined).
TCallbackResult ParseCallbackResponse(int code, const std::string& xml);

class THostFixture {
 public:
  using TFormFactory = TIWServerController::TMainFormFactory;
  // Makes a controller with the factory, lets configure set it up, starts
  // the library with it and opens a session with GET "/".
  explicit THostFixture(TFormFactory factory, std::function<void(TIWServerController&)> configure = {});
  ~THostFixture();

  TIWServerController& Controller() { return *controller_; }
  TIWApplication& Session() { return *session_; }
  std::shared_ptr<TIWApplication> SessionPtr() { return session_; }
  TIWAppForm& Form() { return *session_->GetActiveForm(); }
  const std::string& Cookie() const { return cookie_; }
  const std::string& Token() const { return session_->Token(); }
  // The page of the first request.
  const THTTPReply& FirstPage() const { return firstPage_; }

  // A request with the session cookie.
  THTTPRequest MakeRequest(const std::string& method, const std::string& url) const;
  THTTPReply Send(THTTPRequest& request);
  THTTPReply Get(const std::string& url);
  // POST /$/callback?callback=NAME with the fields (and the token unless
  // withToken is false).
  TCallbackResult Callback(const std::string& name, const TFields& fields = {}, bool withToken = true);
  // POST / with ZQ_SUBMITTER, ZQ_SUBMITPARAM, the fields and the token.
  THTTPReply Submit(const std::string& submitter, const std::string& param, const TFields& fields = {},
                    bool withToken = true);

 private:
  Owned<TIWServerController> controller_;
  std::shared_ptr<TIWApplication> session_;
  std::string cookie_;
  THTTPReply firstPage_;
};

}  // namespace zq::hosttest
