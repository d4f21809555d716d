// The object runtime's roots: TObject (class reference, two-phase creation)
// and TPersistent (assignment between objects).
//
// Each class names itself and its parent with ZQ_CLASS in its body and
// registers its published properties with ZQ_IMPLEMENT_CLASS in its .cpp
// (properties.h):
//
//   class TShape : public TPersistent {
//     ZQ_CLASS(TShape, TPersistent)
//    public:
//     int GetWidth() const; void SetWidth(int v);
//   };
//   ZQ_IMPLEMENT_CLASS(TShape) { c.Prop("Width", &TShape::GetWidth, &TShape::SetWidth); }
//
// Objects are made with zq::Create<T>(args...): construct, then the virtual
// Initialize(), then AfterConstruction(), so that creation may call methods
// overridden by subclasses. zq::Free(obj) calls BeforeDestruction() while the
// object is still whole, then deletes it. Create and Free raise the class
// events of the object's exact class (foundation/classevents.h).
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace zq {

class ClassInfo;
class TObject;
template <class T>
class ClassBuilder;

// The class events of foundation/classevents.h.
bool ZQClassEventsActive();
void ZQRaiseAfterConstruction(TObject* AInstance);
void ZQRaiseBeforeDestruction(TObject* AInstance);

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const ClassInfo& StaticClass();
  virtual const ClassInfo& ClassType() const { return StaticClass(); }
  const std::string& ClassName() const;
  bool InheritsFrom(const ClassInfo& c) const;

  // Second phase of creation (see zq::Create): runs after every constructor
  // has finished, so overridden methods may be called.
  virtual void Initialize() {}
  virtual void AfterConstruction() {}
  // First step of zq::Free, while the whole object is still alive.
  virtual void BeforeDestruction() {}
};

// Creates a T in two phases. Owned objects (components with an owner,
// collection items) are held by their owner; otherwise the caller owns the
// result (see Free / Owned). If a phase throws, the object is freed.
template <class T, class... A>
T* Create(A&&... args) {
  T* obj = new T(std::forward<A>(args)...);
  try {
    obj->Initialize();
    obj->AfterConstruction();
  } catch (...) {
    obj->BeforeDestruction();
    delete obj;
    throw;
  }
  if (ZQClassEventsActive()) ZQRaiseAfterConstruction(obj);
  return obj;
}

inline void Free(TObject* obj) {
  if (obj) {
    if (ZQClassEventsActive()) ZQRaiseBeforeDestruction(obj);
    obj->BeforeDestruction();
    delete obj;
  }
}

struct ObjectDeleter {
  void operator()(TObject* obj) const { Free(obj); }
};
// An owning pointer that frees through Free().
template <class T>
using Owned = std::unique_ptr<T, ObjectDeleter>;

template <class T, class... A>
Owned<T> CreateOwned(A&&... args) {
  return Owned<T>(Create<T>(std::forward<A>(args)...));
}

// Declares the class reference of a class: put it first in the class body.
// Leaves the access at public.
#define ZQ_CLASS(T, Parent)                                                  \
 public:                                                                     \
  using inherited = Parent;                                                  \
  static constexpr const char* kClassName = #T;                             \
  static const ::zq::ClassInfo& StaticClass();                               \
  const ::zq::ClassInfo& ClassType() const override { return StaticClass(); } \
  static void PublishProperties(::zq::ClassBuilder<T>& c);

// An object that can copy itself from another (Assign). Unsupported pairs
// raise EConvertError "Cannot assign a <source class> to a <target class>.".
class TPersistent : public TObject {
  ZQ_CLASS(TPersistent, TObject)

  virtual void Assign(const TPersistent* Source);
  // The object that owns this one, if any (component owner, collection ...).
  virtual TPersistent* GetOwner() const { return nullptr; }
  virtual std::string GetNamePath() const;

 protected:
  // Called by Assign when this class cannot copy Source: lets the source
  // try the other direction.
  virtual void AssignTo(TPersistent* Dest) const;
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

}  // namespace zq
