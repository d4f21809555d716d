// Class events: handlers that run right after an object of exactly a given
// class has been made by zq::Create (after its AfterConstruction), or right
// before an object of exactly that class is freed by zq::Free (before its
// BeforeDestruction). This is how the library reaches host objects the
// application never creates itself (page layouts, per-request objects).
//
//   void Seen(void* AUserData, TObject* AInstance);
//   AddAfterConstructionEvent(TIWLayoutMgrForm::StaticClass(), &counter, {&Seen});
//   ...
//   DelAfterConstructionEvent(TIWLayoutMgrForm::StaticClass(), {&Seen});
//
// An object of a subclass raises nothing. The registry has one lock; a
// dispatch copies the class's handlers under it and runs them outside it, so
// a handler may add or remove handlers (the change counts from the next
// object on). An exception a handler raises is swallowed and the next handler
// runs: it never reaches the code that created or freed the object.
//
// Each registration is one entry: the same handler added twice needs two
// removals. A removed entry leaves an empty slot that the next addition to
// that class reuses (the last empty slot first), so the order of the
// remaining handlers never changes.
#pragma once

#include <string>

namespace zq {

class ClassInfo;
class TObject;

// A handler and, optionally, the object it belongs to: two events are the
// same when both are.
struct TClassInterceptEvent {
  void (*Handler)(void* AUserData, TObject* AInstance) = nullptr;
  const void* Object = nullptr;
  bool operator==(const TClassInterceptEvent&) const = default;
};

void AddAfterConstructionEvent(const ClassInfo& AClass, void* AUserData,
                               TClassInterceptEvent AEvent);
// Removes one registration (the first in list order); nothing when none.
void DelAfterConstructionEvent(const ClassInfo& AClass, TClassInterceptEvent AEvent);
// Removes every registration of the event, on every class.
void DelAllAfterConstructionEvents(TClassInterceptEvent AEvent);
void AddBeforeDestructionEvent(const ClassInfo& AClass, void* AUserData,
                               TClassInterceptEvent AEvent);
void DelBeforeDestructionEvent(const ClassInfo& AClass, TClassInterceptEvent AEvent);
void DelAllBeforeDestructionEvents(TClassInterceptEvent AEvent);

// The number of handlers registered for the class (empty slots not counted).
int ClassEventCount(const ClassInfo& AClass, bool AAfterConstruction);

// Called by zq::Create and zq::Free.
void ZQRaiseAfterConstruction(TObject* AInstance);
void ZQRaiseBeforeDestruction(TObject* AInstance);
// Whether any handler is registered (the cheap test Create and Free make).
bool ZQClassEventsActive();

// C++ has no way to give a live object another class: an object's dynamic
// type is fixed for its whole life. Use a class event with the host's
// factories instead (make the subclass where the object is made). Raises
// "Class \"NEW\" is not immediatelly descendant of class \"OLD\"!" when
// ACheck is set and ANewClass does not inherit from the object's class, and
// otherwise "ChangeObjClass is not supported: an object's class cannot be
// changed in C++ (make a NEW instead)."; the object is never changed.
[[noreturn]] void ChangeObjClass(TObject* AObject, const ClassInfo& ANewClass, bool ACheck);

}  // namespace zq
