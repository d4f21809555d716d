#include "foundation/classevents.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "foundation/classinfo.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/object.h"

namespace zq {

namespace {

struct TItem {
  TClassInterceptEvent Event;
  void* UserData = nullptr;
  bool Empty() const { return Event.Handler == nullptr; }
};

struct TRecord {
  const ClassInfo* Class = nullptr;
  std::vector<TItem> After, Before;
  int UsedCount = 0;
};

// The classes that have a record, readable without the lock: every object
// made or freed while any event is registered asks whether its class is one
// of them, and only then takes the lock.
constexpr std::size_t kWatched = 32;

struct TRegistry {
  std::mutex Lock;
  std::vector<TRecord> Records;
  std::atomic<int> Active{0};  // registrations over all records
  std::atomic<const ClassInfo*> Watched[kWatched] = {};
  std::atomic<bool> Overflow{false};  // more records than Watched holds
};

// Under the lock, after the records changed.
void SyncWatched(TRegistry& r) {
  for (std::size_t i = 0; i < kWatched; ++i)
    r.Watched[i].store(i < r.Records.size() ? r.Records[i].Class : nullptr,
                       std::memory_order_release);
  r.Overflow.store(r.Records.size() > kWatched, std::memory_order_release);
}

bool MayHaveRecord(const TRegistry& r, const ClassInfo* AClass) {
  if (r.Overflow.load(std::memory_order_acquire)) return true;
  for (const auto& w : r.Watched)
    if (w.load(std::memory_order_acquire) == AClass) return true;
  return false;
}

TRegistry& Registry() {
  static TRegistry* r = new TRegistry;  // used up to process exit
  return *r;
}

TRecord* Find(TRegistry& r, const ClassInfo* AClass) {
  for (auto& rec : r.Records)
    if (rec.Class == AClass) return &rec;
  return nullptr;
}

void Add(const ClassInfo& AClass, void* AUserData, TClassInterceptEvent AEvent, bool AAfter) {
  if (!AEvent.Handler) return;
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.Lock);
  TRecord* rec = Find(r, &AClass);
  if (!rec) {
    r.Records.push_back(TRecord{&AClass, {}, {}, 0});
    rec = &r.Records.back();
    SyncWatched(r);
  }
  std::vector<TItem>& list = AAfter ? rec->After : rec->Before;
  const TItem item{AEvent, AUserData};
  auto slot = list.rbegin();
  while (slot != list.rend() && !slot->Empty()) ++slot;
  if (slot != list.rend())
    *slot = item;
  else
    list.push_back(item);
  ++rec->UsedCount;
  ++r.Active;
}

// Clears the matching items of one record (the first one, or all); false
// when the record went away.
bool ClearIn(TRegistry& r, std::size_t AIndex, TClassInterceptEvent AEvent, bool AAfter,
             bool AAll) {
  TRecord& rec = r.Records[AIndex];
  for (TItem& item : AAfter ? rec.After : rec.Before) {
    if (item.Empty() || !(item.Event == AEvent)) continue;
    item = TItem{};
    --rec.UsedCount;
    --r.Active;
    if (!AAll) break;
  }
  if (rec.UsedCount > 0) return true;
  r.Records.erase(r.Records.begin() + static_cast<std::ptrdiff_t>(AIndex));
  SyncWatched(r);
  return false;
}

void Del(const ClassInfo& AClass, TClassInterceptEvent AEvent, bool AAfter) {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.Lock);
  for (std::size_t i = 0; i < r.Records.size(); ++i)
    if (r.Records[i].Class == &AClass) {
      ClearIn(r, i, AEvent, AAfter, false);
      return;
    }
}

void DelAll(TClassInterceptEvent AEvent, bool AAfter) {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.Lock);
  for (std::size_t i = r.Records.size(); i-- > 0;) ClearIn(r, i, AEvent, AAfter, true);
}

void Raise(TObject* AInstance, bool AAfter) {
  if (!AInstance) return;
  TRegistry& r = Registry();
  if (!MayHaveRecord(r, &AInstance->ClassType())) return;
  std::vector<TItem> snapshot;
  {
    std::lock_guard<std::mutex> g(r.Lock);
    TRecord* rec = Find(r, &AInstance->ClassType());
    if (!rec) return;
    snapshot = AAfter ? rec->After : rec->Before;
  }
  for (const TItem& item : snapshot) {
    if (item.Empty()) continue;
    try {
      item.Event.Handler(item.UserData, AInstance);
    } catch (...) {
      // A handler's failure never reaches the code making or freeing the object.
    }
  }
}

}  // namespace

void AddAfterConstructionEvent(const ClassInfo& AClass, void* AUserData,
                               TClassInterceptEvent AEvent) {
  Add(AClass, AUserData, AEvent, true);
}
void DelAfterConstructionEvent(const ClassInfo& AClass, TClassInterceptEvent AEvent) {
  Del(AClass, AEvent, true);
}
void DelAllAfterConstructionEvents(TClassInterceptEvent AEvent) {
  DelAll(AEvent, true);
}
void AddBeforeDestructionEvent(const ClassInfo& AClass, void* AUserData,
                               TClassInterceptEvent AEvent) {
  Add(AClass, AUserData, AEvent, false);
}
void DelBeforeDestructionEvent(const ClassInfo& AClass, TClassInterceptEvent AEvent) {
  Del(AClass, AEvent, false);
}
void DelAllBeforeDestructionEvents(TClassInterceptEvent AEvent) {
  DelAll(AEvent, false);
}

int ClassEventCount(const ClassInfo& AClass, bool AAfterConstruction) {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.Lock);
  const TRecord* rec = Find(r, &AClass);
  if (!rec) return 0;
  int n = 0;
  for (const TItem& item : AAfterConstruction ? rec->After : rec->Before) n += !item.Empty();
  return n;
}

bool ZQClassEventsActive() {
  return Registry().Active.load(std::memory_order_relaxed) > 0;
}

void ZQRaiseAfterConstruction(TObject* AInstance) {
  Raise(AInstance, true);
}

void ZQRaiseBeforeDestruction(TObject* AInstance) {
  Raise(AInstance, false);
}

void ChangeObjClass(TObject* AObject, const ClassInfo& ANewClass, bool ACheck) {
  const std::string current = AObject ? AObject->ClassName() : std::string("nil");
  if (ACheck && (!AObject || !ANewClass.InheritsFrom(AObject->ClassType())))
    throw EIWZQJQuery(Format("Class \"%s\" is not immediatelly descendant of class \"%s\"!",
                             ANewClass.Name(), current));
  throw EIWZQJQuery(Format(
      "ChangeObjClass is not supported: an object's class cannot be changed in C++ (make a %s "
      "instead).",
      ANewClass.Name()));
}

}  // namespace zq
