// The action-map responder's path and parameter handling on arbitrary
// requests: path splitting (URL base, session in path, ID, action), entry
// lookup, the handler call with the request's parameters and the failure
// replies of every response type.
// Input: a selector byte (bit 0: POST, bit 1: URL base "/app", bit 2:
// sessions in URL paths, bits 3-4: what the handlers raise), then
// "URL\nbody".
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "actionmap/map.h"
#include "actionmap/responder.h"
#include "foundation/exception.h"
#include "foundation/object.h"
#include "foundation/stringlist.h"
#include "host/http.h"
#include "host/servercontroller.h"

using namespace zq;

namespace {

const std::string kID = "0123456789ABCDEF0123456789ABCDEF";
int gRaise = 0;
std::string gLastAction;

void Handler(const std::string& AAction, TStringList* AParams, THTTPRequest&, THTTPReply& AReply) {
  gLastAction = AAction;
  AReply.SetBody(AParams->Text());
  switch (gRaise) {
    case 1:
      throw EIWZQJQuery(AParams->Text());
    case 2:
      throw EAbort();
    case 3:
      throw EIWZQJQuery(AAction + "\r\n<b>&");
    default:
      break;
  }
}

TIWServerController& Host() {
  static TIWServerController* c = [] {
    auto* controller = Create<TIWServerController>(nullptr);
    ZQActionMapStartup(controller);
    const char* actions[] = {"Error", "JSon", "Text", "Custom", "GetFile", ""};
    TIWZQJQMapResponseType types[] = {mrtError, mrtJSon, mrtText, mrtCustom, mrtText, mrtError};
    for (int i = 0; i < 6; ++i)
      AddZQJQMapEvent(kID, actions[i], "", TIWZQJQMapEvent(&Handler), types[i]);
    return controller;
  }();
  return *c;
}

bool HasControl(std::string_view s) {
  for (unsigned char c : s)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  TIWServerController& host = Host();
  const uint8_t sel = data[0];
  std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t nl = in.find('\n');
  host.URLBase = (sel & 2) ? "/app" : "";
  host.SessionInURL = (sel & 4) != 0;
  gRaise = (sel >> 3) & 3;
  gLastAction = "<none>";

  // The splitter alone: a match is exactly the documented shape.
  std::string_view path = in.substr(0, nl);
  TZQMapRequestPath p = ZQSplitMapRequestPath(path, host.URLBase, host.SessionInURL, "");
  if (p.Matches) {
    if (p.ID.size() != 32) abort();
    std::string rebuilt = "/IWZQJQ/ID" + p.ID + "Action" + p.Action;
    if (path.find(rebuilt) == std::string_view::npos) abort();
  }

  THTTPRequest req;
  req.Method = (sel & 1) ? "POST" : "GET";
  req.URL = std::string(path);
  if (nl != std::string_view::npos) req.Content = std::string(in.substr(nl + 1));
  req.SetHeader("Content-Type", "application/x-www-form-urlencoded");
  THTTPReply reply;
  host.HandleRequest(req, reply);

  // Whatever the request, no header or status line carries a control
  // character, and a handled failure never echoes raw markup as HTML.
  if (HasControl(reply.CodeText())) abort();
  if (reply.CodeText().size() > 5 + ZQMapMaxStatusText + 64) abort();
  for (const auto& h : reply.AllHeaders())
    if (h.second.find_first_of("\r\n") != std::string::npos) abort();
  if (gLastAction != "<none>" && reply.GetHeader("X-Content-Type-Options") != "nosniff") abort();
  if (reply.ContentType() == "text/html" && reply.Body().find('<') != std::string::npos) abort();
  return 0;
}
