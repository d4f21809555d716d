#include "foundation/delegate.h"

#include <gtest/gtest.h>

#include "foundation/object.h"

namespace zq {
namespace {

struct Handler {
  int calls = 0;
  TObject* last = nullptr;
  void OnA(TObject* s) {
    ++calls;
    last = s;
  }
  void OnB(TObject*) { calls += 10; }
  virtual int Twice(int x) const { return 2 * x; }
  virtual ~Handler() = default;
};
struct Derived : Handler {
  int Twice(int x) const override { return 3 * x; }
};

int gFree = 0;
void FreeHandler(TObject*) { ++gFree; }
void OtherFree(TObject*) {}

TEST(Delegate, EqualityFollowsObjectAndMethod) {
  Handler h1, h2;
  TNotifyEvent a(&h1, &Handler::OnA), a2(&h1, &Handler::OnA), b(&h1, &Handler::OnB), c(&h2, &Handler::OnA);
  EXPECT_TRUE(a == a2);
  EXPECT_EQ(a.Hash(), a2.Hash());
  EXPECT_FALSE(a == b);
  EXPECT_FALSE(a == c);
  EXPECT_EQ(a.Object(), &h1);
  TNotifyEvent f(&FreeHandler), f2(&FreeHandler), g(&OtherFree);
  EXPECT_TRUE(f == f2);
  EXPECT_FALSE(f == g);
  EXPECT_FALSE(f == a);
  TNotifyEvent none;
  EXPECT_FALSE(static_cast<bool>(none));
  EXPECT_TRUE(none == nullptr);
  EXPECT_TRUE(none == TNotifyEvent());
  EXPECT_FALSE(a == none);
}

TEST(Delegate, CallsTheBoundMethod) {
  Handler h;
  TObject sender;
  TNotifyEvent a(&h, &Handler::OnA);
  a(&sender);
  EXPECT_EQ(h.calls, 1);
  EXPECT_EQ(h.last, &sender);
  TNotifyEvent fh(&FreeHandler);
  fh(nullptr);
  EXPECT_EQ(gFree, 1);
  // Virtual methods dispatch on the object.
  Derived d;
  Delegate<int(int)> tw(static_cast<Handler*>(&d), &Handler::Twice);
  EXPECT_EQ(tw(5), 15);
  const Handler ch;
  Delegate<int(int)> ct(&ch, &Handler::Twice);
  EXPECT_EQ(ct(4), 8);
  EXPECT_THROW(TNotifyEvent()(nullptr), EInvalidPointer);
}

TEST(Delegate, CallablesCompareByIdentityAndType) {
  int hits = 0;
  int key1 = 0, key2 = 0;
  auto lam = [&hits](TObject*) { ++hits; };
  TNotifyEvent l1(&key1, lam), l1b(&key1, lam), l2(&key2, lam);
  TNotifyEvent other(&key1, [](TObject*) {});
  EXPECT_TRUE(l1 == l1b);
  EXPECT_FALSE(l1 == l2);
  EXPECT_FALSE(l1 == other);
  TNotifyEvent copy = l1;
  copy(nullptr);
  l1(nullptr);
  EXPECT_EQ(hits, 2);
}

}  // namespace
}  // namespace zq
