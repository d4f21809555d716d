// Delegate<R(Args...)>: a comparable method pointer, the C++ form of an event
// handler. A delegate is an object pointer plus the identity of the member
// function bound to it (the bytes of the member pointer), so two delegates
// made from the same object and the same method compare equal - which is what
// "is this handler already assigned?" and handler-keyed lookups need.
// std::function cannot be compared, hence this small class.
//
//   TNotifyEvent ev(&form, &TMyForm::ButtonClick);   // member function
//   TNotifyEvent fn(&FreeHandler);                   // free function
//   TNotifyEvent lm(this, [this](TObject*) { ... }); // callable with an identity
//   if (ev) ev(sender);
#pragma once

#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

#include "foundation/exception.h"

namespace zq {

class TObject;

template <class Sig>
class Delegate;

template <class R, class... A>
class Delegate<R(A...)> {
  // Room for any member pointer of a single or multiple inheritance class.
  static constexpr std::size_t kCodeSize = 2 * sizeof(void*);
  enum class Kind : unsigned char { None, Member, Free, Callable };
  using Thunk = R (*)(const Delegate&, A...);

 public:
  using Signature = R(A...);

  Delegate() = default;
  Delegate(std::nullptr_t) {}

  // Bound member function (const or not).
  template <class T, class C, class M>
    requires std::is_member_function_pointer_v<M C::*> && std::is_base_of_v<C, std::remove_cv_t<T>>
  Delegate(T* object, M C::*method)
      : kind_(Kind::Member), obj_(const_cast<void*>(static_cast<const void*>(object))) {
    using P = M C::*;
    static_assert(sizeof(P) <= kCodeSize, "member pointer too large");
    std::memcpy(code_, &method, sizeof(P));
    thunk_ = [](const Delegate& d, A... args) -> R {
      P m;
      std::memcpy(&m, d.code_, sizeof(P));
      return (static_cast<T*>(d.obj_)->*m)(std::forward<A>(args)...);
    };
  }

  // Free function; its identity is the function's address.
  Delegate(R (*fn)(A...)) {
    if (!fn) return;
    kind_ = Kind::Free;
    std::memcpy(code_, &fn, sizeof(fn));
    thunk_ = [](const Delegate& d, A... args) -> R {
      R (*f)(A...);
      std::memcpy(&f, d.code_, sizeof(f));
      return f(std::forward<A>(args)...);
    };
  }

  // Any callable, made comparable by an identity pointer chosen by the caller
  // (usually the object the lambda works on). Two callable delegates with the
  // same identity and the same callable type compare equal.
  template <class F>
    requires std::is_invocable_r_v<R, F&, A...> && (!std::is_pointer_v<std::decay_t<F>>)
  Delegate(const void* identity, F&& f) : kind_(Kind::Callable), obj_(const_cast<void*>(identity)) {
    using Fn = std::decay_t<F>;
    auto holder = std::make_shared<Fn>(std::forward<F>(f));
    holder_ = holder;
    // The address of a per-type variable tells callable types apart.
    const char* tag = &kTypeTag<Fn>;
    std::memcpy(code_, &tag, sizeof(tag));
    thunk_ = [](const Delegate& d, A... args) -> R {
      return (*static_cast<Fn*>(d.holder_.get()))(std::forward<A>(args)...);
    };
  }

  explicit operator bool() const { return thunk_ != nullptr; }

  R operator()(A... args) const {
    if (!thunk_) throw EInvalidPointer();
    return thunk_(*this, std::forward<A>(args)...);
  }

  // The bound object (the identity for callables); null for free functions.
  void* Object() const { return obj_; }

  friend bool operator==(const Delegate& a, const Delegate& b) {
    return a.kind_ == b.kind_ && a.obj_ == b.obj_ && std::memcmp(a.code_, b.code_, kCodeSize) == 0;
  }
  friend bool operator==(const Delegate& a, std::nullptr_t) { return !a; }

  // A hash consistent with ==, for handler-keyed maps.
  std::size_t Hash() const {
    std::size_t h = reinterpret_cast<std::size_t>(obj_) ^ static_cast<std::size_t>(kind_);
    std::size_t w[kCodeSize / sizeof(std::size_t)];
    std::memcpy(w, code_, kCodeSize);
    for (std::size_t x : w) h = h * 1000003u ^ x;
    return h;
  }

 private:
  template <class Fn>
  static inline const char kTypeTag = 0;

  Kind kind_ = Kind::None;
  void* obj_ = nullptr;
  alignas(void*) unsigned char code_[kCodeSize] = {};
  Thunk thunk_ = nullptr;
  std::shared_ptr<void> holder_;
};

// The common event handler: called with the object that raised the event.
using TNotifyEvent = Delegate<void(TObject* Sender)>;

template <class T>
struct IsDelegate : std::false_type {};
template <class S>
struct IsDelegate<Delegate<S>> : std::true_type {};

}  // namespace zq
