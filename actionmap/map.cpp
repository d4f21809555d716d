#include "actionmap/map.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "actionmap/responder.h"
#include "foundation/exception.h"
#include "framework/startup.h"
#include "host/security.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zq {

std::chrono::milliseconds ZQMapSessionLockTimeout{60000};
std::chrono::milliseconds ZQMapSessionLockRetry{50};
int ZQMapMaxSessionWaiters = 4;

// ---------------------------------------------------------------- items and list

TIWZQJQMapEventItem::TIWZQJQMapEventItem(std::string AID, std::string AAction, std::string AAppID,
                                         TIWZQJQMapEvent AEvent, TIWZQJQMapResponseType AResType)
    : FID(std::move(AID)),
      FAction(std::move(AAction)),
      FAppID(std::move(AAppID)),
      FEvent(std::move(AEvent)),
      FResType(AResType) {}

std::string TIWZQJQMapEventItem::MakeKey(std::string_view AID, std::string_view AAction) {
  std::string key = "ID";
  key.append(AID).append("Action").append(AAction);
  return key;
}

namespace {
struct KeyLess {
  bool operator()(const std::shared_ptr<const TIWZQJQMapEventItem>& a, std::string_view key) const {
    return a->GetKey() < key;
  }
};
}  // namespace

void TIWZQJQMapEventList::Add(std::shared_ptr<const TIWZQJQMapEventItem> AItem) {
  std::string key = AItem->GetKey();
  auto it = std::lower_bound(FItems.begin(), FItems.end(), std::string_view(key), KeyLess{});
  if (it != FItems.end() && (*it)->GetKey() == key)
    throw EListError("String list does not allow duplicates");
  FItems.insert(it, std::move(AItem));
}

bool TIWZQJQMapEventList::Remove(std::string_view AKey) {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), AKey, KeyLess{});
  if (it == FItems.end() || (*it)->GetKey() != AKey) return false;
  FItems.erase(it);
  return true;
}

std::shared_ptr<const TIWZQJQMapEventItem> TIWZQJQMapEventList::Find(std::string_view AKey) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), AKey, KeyLess{});
  if (it == FItems.end() || (*it)->GetKey() != AKey) return nullptr;
  return *it;
}

// ---------------------------------------------------------------- process-wide map

namespace {

// The guard outlives every map (it is never destroyed), so a DelZQJQMapEvent
// from a control freed during shutdown finds it.
std::mutex& MapLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::unique_ptr<TIWZQJQMapEventList> gMapList;  // guarded by MapLock()
TIWServerController* gMapController = nullptr;
TContentBase* gResponder = nullptr;

}  // namespace

void ZQActionMapStartup(TIWServerController* AController) {
  if (!AController) AController = gServerController;
  std::lock_guard<std::mutex> g(MapLock());
  if (gMapList) return;
  gMapList = std::make_unique<TIWZQJQMapEventList>();
  gMapController = AController;
  if (AController)
    gResponder = AController->Handlers().Add("/IWZQJQ/", "", std::make_unique<TIWZQJQResponder>());
}

void ZQActionMapShutdown() {
  TIWServerController* controller = nullptr;
  TContentBase* responder = nullptr;
  {
    std::lock_guard<std::mutex> g(MapLock());
    controller = gMapController;
    responder = gResponder;
    gMapController = nullptr;
    gResponder = nullptr;
  }
  if (controller && responder) controller->Handlers().Remove(responder);
  std::unique_ptr<TIWZQJQMapEventList> list;
  {
    std::lock_guard<std::mutex> g(MapLock());
    list = std::move(gMapList);
  }
}

namespace {

// The library start-up (framework/startup.h) starts the map with the
// controller it is given; filled when this unit is linked in.
[[maybe_unused]] const bool gStartupSlotFilled = [] {
  ZQSetStartupSlot(TZQStartupSlot::ActionMap,
                   {nullptr, &ZQActionMapShutdown,
                    [](TIWServerController& AController) { ZQActionMapStartup(&AController); }});
  return true;
}();

}  // namespace

bool ZQActionMapStarted() {
  std::lock_guard<std::mutex> g(MapLock());
  return gMapList != nullptr;
}

std::string AddZQJQMapEvent(const std::string& AID, const std::string& AAction,
                            const std::string& AAppID, const TIWZQJQMapEvent& AEvent,
                            TIWZQJQMapResponseType AResType) {
  {
    std::lock_guard<std::mutex> g(MapLock());
    if (!gMapList) throw EIWZQJQuery("The URL action map is not started!");
    gMapList->Add(
        std::make_shared<const TIWZQJQMapEventItem>(AID, AAction, AAppID, AEvent, AResType));
  }
  std::string url;
  if (gServerController) {
    url = gServerController->URLBase;
    while (!url.empty() && url.back() == '/') url.pop_back();
  }
  url += ZQGetScriptName();
  if (gServerController && gServerController->SessionInURL) url += "/" + AAppID;
  url += "/IWZQJQ/" + TIWZQJQMapEventItem::MakeKey(AID, AAction);
  return url;
}

void DelZQJQMapEvent(const std::string& AID, const std::string& AAction) {
  std::shared_ptr<const TIWZQJQMapEventItem> freed;  // released after the lock
  std::lock_guard<std::mutex> g(MapLock());
  if (!gMapList) return;
  std::string key = TIWZQJQMapEventItem::MakeKey(AID, AAction);
  freed = gMapList->Find(key);
  gMapList->Remove(key);
}

std::shared_ptr<const TIWZQJQMapEventItem> ZQFindMapEvent(std::string_view AID,
                                                          std::string_view AAction) {
  std::string key = TIWZQJQMapEventItem::MakeKey(AID, AAction);
  std::lock_guard<std::mutex> g(MapLock());
  return gMapList ? gMapList->Find(key) : nullptr;
}

std::size_t ZQMapEventCount() {
  std::lock_guard<std::mutex> g(MapLock());
  return gMapList ? gMapList->Count() : 0;
}

std::string ZQSessionLabel(std::string_view AAppID) {
  // FNV-1a over a process-wide random key and the ID; 32 bits of it say
  // nothing useful about a 128-bit secret.
  static const std::uint64_t key = [] {
    std::uint64_t k = 0;
    SecureRandomBytes(&k, sizeof k);
    return k;
  }();
  std::uint64_t h = 14695981039346656037ull ^ key;
  for (unsigned char c : AAppID) h = (h ^ c) * 1099511628211ull;
  h ^= h >> 29;
  h *= 0xbf58476d1ce4e5b9ull;
  h ^= h >> 32;
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (int i = 7; i >= 0; --i) out.push_back(hex[(h >> (4 * i)) & 0xF]);
  return out;
}

}  // namespace zq
