// The URL action map: a process-wide table from URLs to server-side handlers,
// for the browser requests that do not fit the host's ajax pipeline (uploads,
// downloads, chart data, image posts).
//
// A control registers an entry and gets its URL back:
//
//   FMapUrl = AddZQJQMapEvent(FMapID, "GetFile", session->AppID(),
//                             TIWZQJQMapEvent(this, &TMyControl::UrlHandler), mrtText);
//   // the browser requests  <URL base><script name>/IWZQJQ/ID<FMapID>ActionGetFile
//   ...
//   DelZQJQMapEvent(FMapID, "GetFile");  // in the destructor
//
// The responder (actionmap/responder.h) answers those URLs: it finds the
// entry, locks the entry's session and calls the handler with the request's
// parameters, the request and the reply.
//
// Map IDs are capability tokens (a request need not carry its session to
// reach an entry), so they must come from the secure random source:
// ZQNewGUIDHTMLMapID does.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/delegate.h"
#include "foundation/jqcommon.h"

namespace zq {

class TStringList;
class THTTPRequest;
class THTTPReply;
class TIWServerController;

// How a failure of an entry's handler is reported (see responder.h).
enum TIWZQJQMapResponseType { mrtError, mrtJSon, mrtText, mrtCustom };

// (action, the request's parameters as name=value lines, request, reply).
using TIWZQJQMapEvent = Delegate<void(const std::string& AAction, TStringList* AParams,
                                      THTTPRequest& ARequest, THTTPReply& AResponse)>;

// A request for an entry that is not (or no longer) in the map.
class EIWZQJQueryMap : public EIWZQJQuery {
  using EIWZQJQuery::EIWZQJQuery;
};

// One entry. Its key is "ID" + ID + "Action" + action. An entry is shared:
// a request that found it keeps it alive while it runs, even if its control
// deletes it meanwhile.
class TIWZQJQMapEventItem {
 public:
  TIWZQJQMapEventItem(std::string AID, std::string AAction, std::string AAppID,
                      TIWZQJQMapEvent AEvent, TIWZQJQMapResponseType AResType);

  const std::string& GetID() const { return FID; }
  const std::string& GetAction() const { return FAction; }
  const std::string& GetAppID() const { return FAppID; }
  const TIWZQJQMapEvent& GetEvent() const { return FEvent; }
  TIWZQJQMapResponseType GetResType() const { return FResType; }
  std::string GetKey() const { return MakeKey(FID, FAction); }

  static std::string MakeKey(std::string_view AID, std::string_view AAction);

 private:
  std::string FID;
  std::string FAction;
  std::string FAppID;
  TIWZQJQMapEvent FEvent;
  TIWZQJQMapResponseType FResType;
};

// The entries by key (exact, case-sensitive). Adding a key that is already
// present raises EListError. Not locked itself: the map guards it.
class TIWZQJQMapEventList {
 public:
  void Add(std::shared_ptr<const TIWZQJQMapEventItem> AItem);
  // Frees the entry of that key; false when there is none.
  bool Remove(std::string_view AKey);
  std::shared_ptr<const TIWZQJQMapEventItem> Find(std::string_view AKey) const;
  std::size_t Count() const { return FItems.size(); }

 private:
  std::vector<std::shared_ptr<const TIWZQJQMapEventItem>> FItems;  // sorted by key
};

// ---------------------------------------------------------------- settings

// How long a request that does not carry its session waits for the entry's
// session lock, and how often it retries (defaults 60 s and 50 ms).
extern std::chrono::milliseconds ZQMapSessionLockTimeout;
extern std::chrono::milliseconds ZQMapSessionLockRetry;
// How many requests may wait at once for the lock of one session; further
// ones are answered "Server Busy!" at once, so that waiting requests cannot
// take every worker thread of the server (default 4).
extern int ZQMapMaxSessionWaiters;

// ---------------------------------------------------------------- the map

// Creates the map and registers the responder with the controller's content
// handlers under "/IWZQJQ/" (gServerController when none is given). A second
// call without a shutdown in between does nothing.
void ZQActionMapStartup(TIWServerController* AController = nullptr);
// Removes the responder from the controller's handlers, then frees the map.
void ZQActionMapShutdown();
bool ZQActionMapStarted();

// Adds an entry and returns its URL: the controller's URL base without a
// trailing "/", the script name, "/" + AppID when the controller carries the
// session in URL paths, then "/IWZQJQ/ID" + ID + "Action" + action. Raises
// EIWZQJQuery "The URL action map is not started!" before ZQActionMapStartup
// and EListError for a key that is already registered.
std::string AddZQJQMapEvent(const std::string& AID, const std::string& AAction,
                            const std::string& AAppID, const TIWZQJQMapEvent& AEvent,
                            TIWZQJQMapResponseType AResType);
// Frees the entry of that key, if any; nothing when the map does not exist.
void DelZQJQMapEvent(const std::string& AID, const std::string& AAction);
// The entry of that key, or none.
std::shared_ptr<const TIWZQJQMapEventItem> ZQFindMapEvent(std::string_view AID,
                                                          std::string_view AAction);
std::size_t ZQMapEventCount();

// A label for a session that can be shown to anyone: the host's session ID is
// the session cookie's secret, so messages name a session by this label (a
// keyed hash of the ID, 8 hexadecimal digits) instead.
std::string ZQSessionLabel(std::string_view AAppID);

}  // namespace zq
