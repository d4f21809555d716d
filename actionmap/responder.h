// TIWZQJQResponder: the content handler the URL action map registers with the
// host under "/IWZQJQ/". For a path of the form
//   [URL base][script name][/AppID]/IWZQJQ/ID<32 characters>Action<action>[/]
// it finds the entry, chooses and locks the session, calls the handler and
// reports a handler failure according to the entry's response type:
//
//   no entry or mrtError, silent abort   reply reset, body {"success":true}
//   no entry or mrtError, other failure  reply reset, status 500, text "500: " + message
//   mrtJSon                               body {success:false,error:"message"}
//   mrtText                               body: the message
//   mrtCustom                             nothing: the handler answers itself
//
// A body is sent as "text/html" to Internet Explorer (and whenever the
// session is not known yet), else as "application/json"; a text/html body has
// "<", ">" and "&" escaped. The status text is stripped of control characters
// and cut to ZQMapMaxStatusText bytes. Every handled reply carries
// "X-Content-Type-Options: nosniff".
//
// Session choice: a request that carries its session (always, when the host
// does not put sessions in URL paths) must belong to the entry's session and
// takes its lock, waiting as long as it takes; a request that does not carry
// it finds the entry's session by ID and waits for its lock at most
// ZQMapSessionLockTimeout ("Server Busy!" after that). At most
// ZQMapMaxSessionWaiters requests wait for one session at a time. Once the
// lock is held, the entry and the session are checked again: an entry deleted
// or a session ended while the request waited is reported as missing, and
// its handler is never called.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/servercontroller.h"

namespace zq {

class TIWApplication;

// The parts of a request path the responder reads.
struct TZQMapRequestPath {
  bool Matches = false;         // the path has the "/IWZQJQ/ID…Action" shape
  bool CarriesSession = false;  // the request names its session (see step 2)
  std::string ID;               // the 32 characters after "ID"
  std::string Action;           // the rest, one trailing "/" removed
};

// Splits a request path: the URL base (without its trailing "/") is removed
// from the front, then, when sessions travel in URL paths, "/" + AAppID (the
// request's session; empty for none); what stays must begin with "/IWZQJQ/ID",
// 32 characters and "Action".
TZQMapRequestPath ZQSplitMapRequestPath(std::string_view APath, std::string_view AURLBase,
                                        bool ASessionInURL, std::string_view AAppID);

// The status text of a failure: "500: " + the message with every control
// character (CR and LF included) removed, cut to ZQMapMaxStatusText bytes at a
// character boundary.
std::string ZQMapStatusText(int ACode, std::string_view AMessage);
extern std::size_t ZQMapMaxStatusText;  // default 200

class TIWZQJQResponder : public TContentBase {
 public:
  TIWZQJQResponder() { FileMustExist = false; }
  bool Execute(THTTPRequest& ARequest, THTTPReply& AReply, const std::string& APathName,
               TIWApplication* ASession) override;
};

}  // namespace zq
