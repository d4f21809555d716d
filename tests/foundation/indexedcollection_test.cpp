#include <gtest/gtest.h>

#include "foundation/exception.h"
#include "foundation/properties.h"
#include "foundation/zqclasses.h"

namespace zq {
namespace {

// An item keyed by its name in index 0 and by its group in index 1.
class TKeyedItem : public TZQIndexedCollectionItem {
  ZQ_CLASS(TKeyedItem, TZQIndexedCollectionItem)
  using TZQIndexedCollectionItem::TZQIndexedCollectionItem;
  std::string FName, FGroup;
  void SetName(const std::string& v) {
    if (SetKey(0, Variant(v), Variant(FName))) FName = v;
  }
  void SetGroup(const std::string& v) {
    if (SetKey(1, Variant(v))) FGroup = v;
  }
  void Assign(const TPersistent* Source) override {
    if (auto* s = dynamic_cast<const TKeyedItem*>(Source)) {
      SetName(s->FName);
      SetGroup(s->FGroup);
      return;
    }
    TZQIndexedCollectionItem::Assign(Source);
  }
};
ZQ_IMPLEMENT_CLASS(TKeyedItem) {}

class TKeyedCollection : public TZQIndexedCollection {
  ZQ_CLASS(TKeyedCollection, TZQIndexedCollection)
  explicit TKeyedCollection(TZQDuplicates nameRule = zdError, bool caseSensitive = false)
      : TZQIndexedCollection(TKeyedItem::StaticClass(), 2), rule(nameRule), cs(caseSensitive) {}
  TZQDuplicates rule;
  bool cs;
  TZQDuplicates KeyDuplicates(int IdxNo) const override { return IdxNo == 0 ? rule : zdAccept; }
  bool KeyCaseSensitive(int IdxNo) const override { return IdxNo == 0 && cs; }
  Variant KeyOfItem(int IdxNo, const TCollectionItem* Item) const override {
    auto* k = static_cast<const TKeyedItem*>(Item);
    const std::string& v = IdxNo == 0 ? k->FName : k->FGroup;
    return v.empty() ? Variant() : Variant(v);
  }
  TKeyedItem* AddNamed(const std::string& name, const std::string& group = "") {
    auto* i = static_cast<TKeyedItem*>(Add());
    i->SetName(name);
    if (!group.empty()) i->SetGroup(group);
    return i;
  }
  TKeyedItem* ByName(const std::string& n) const { return static_cast<TKeyedItem*>(GetOrderedItem(0, Variant(n))); }
};
ZQ_IMPLEMENT_CLASS(TKeyedCollection) {}

std::vector<std::string> IndexKeys(const TZQIndexedCollection& c, int n) {
  std::vector<std::string> r;
  for (int i = 0; i < c.IndexList(n).Count(); ++i) r.push_back(c.IndexList(n).Key(i));
  return r;
}

TEST(IndexedCollection, LookupsAndOrderBy) {
  TKeyedCollection c(zdAccept);
  auto* m = c.AddNamed("mango", "fruit");
  auto* a = c.AddNamed("ABC", "letters");
  auto* b = c.AddNamed("banana", "fruit");
  EXPECT_EQ(c.ByName("abc"), a);  // case-insensitive index
  EXPECT_EQ(c.GetOrderedIndex(0, Variant("BANANA")), 1);
  EXPECT_EQ(c.GetOrderedIndex(0, Variant("kiwi")), -1);
  int at = -1;
  EXPECT_FALSE(c.GetClosestOrderedIndex(0, Variant("kiwi"), at));
  EXPECT_EQ(at, 2);
  EXPECT_EQ(c.GetSortedItem(0, 2), m);
  EXPECT_EQ(IndexKeys(c, 1), (std::vector<std::string>{"fruit", "fruit", "letters"}));
  // Duplicates in an accepting index keep the order they were filed in.
  EXPECT_EQ(c.GetSortedItem(1, 0), m);
  EXPECT_EQ(c.GetSortedItem(1, 1), b);
  EXPECT_EQ(c.GetItem(0), m);
  c.OrderBy(0);
  EXPECT_EQ(c.GetItem(0), a);
  EXPECT_EQ(c.GetItem(2), m);
  c.OrderByCancel(0);
  EXPECT_EQ(c.GetItem(0), m);
  EXPECT_EQ(a->GetKey(0).ToString(), "ABC");
  EXPECT_TRUE(c.AddNamed("")->GetKey(1).IsNull());  // never filed in index 1
  EXPECT_THROW(c.GetIndexList(2), EListError);
}

TEST(IndexedCollection, RekeyToSameKeyLeavesIndexUntouched) {
  TKeyedCollection c(zdError);
  auto* a = c.AddNamed("Alpha");
  c.AddNamed("beta");
  a->SetName("ALPHA");  // same key in a case-insensitive index
  EXPECT_EQ(IndexKeys(c, 0), (std::vector<std::string>{"Alpha", "beta"}));
  a->SetName("Alpha");
  EXPECT_EQ(c.ByName("alpha"), a);
}

TEST(IndexedCollection, RefusedRekeyChangesNothing) {
  TKeyedCollection c(zdError);
  auto* a = c.AddNamed("one");
  auto* b = c.AddNamed("two");
  try {
    b->SetName("ONE");
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "String list does not allow duplicates");
  }
  // Field and index exactly as before.
  EXPECT_EQ(b->FName, "two");
  EXPECT_EQ(c.ByName("two"), b);
  EXPECT_EQ(c.ByName("one"), a);
  EXPECT_EQ(IndexKeys(c, 0), (std::vector<std::string>{"one", "two"}));

  TKeyedCollection ig(zdIgnore);
  auto* x = ig.AddNamed("x");
  auto* y = ig.AddNamed("y");
  y->SetName("X");  // silently refused
  EXPECT_EQ(y->FName, "y");
  EXPECT_EQ(ig.ByName("y"), y);
  EXPECT_EQ(ig.ByName("x"), x);
  // Adding a duplicate under "ignore": the item stays, unfiled.
  auto* z = ig.AddNamed("x");
  EXPECT_EQ(ig.Count(), 3);
  EXPECT_TRUE(z->GetKey(0).IsNull());
  EXPECT_EQ(ig.ByName("x"), x);
}

TEST(IndexedCollection, LookupOnlyAcceptsTheItemsOwnEntry) {
  // Case-sensitive unique index: "a" and "A" are different keys.
  TKeyedCollection c(zdError, true);
  auto* lower = c.AddNamed("a");
  auto* upper = c.AddNamed("A");
  EXPECT_EQ(c.ByName("A"), upper);
  upper->SetName("b");
  EXPECT_EQ(IndexKeys(c, 0), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(c.ByName("a"), lower);
  EXPECT_EQ(c.ByName("b"), upper);
}

TEST(IndexedCollection, NoStaleEntriesAfterDeleteFreeOrMove) {
  TKeyedCollection c1(zdError), c2(zdError);
  auto* a = c1.AddNamed("a", "g");
  auto* b = c1.AddNamed("b", "g");
  c1.AddNamed("c", "g");
  c1.Delete(0);
  EXPECT_EQ(c1.ByName("a"), nullptr);
  EXPECT_EQ(IndexKeys(c1, 1).size(), 2u);
  Free(b);
  EXPECT_EQ(IndexKeys(c1, 0), std::vector<std::string>{"c"});
  (void)a;
  // Moving: out of the old indexes, filed in the new ones under its keys.
  auto* m = c1.AddNamed("moved", "g2");
  m->SetCollection(&c2);
  EXPECT_EQ(c1.ByName("moved"), nullptr);
  EXPECT_EQ(c2.ByName("moved"), m);
  EXPECT_EQ(c2.GetOrderedItem(1, Variant("g2")), m);
  // A move that the new collection's unique index refuses changes nothing.
  auto* clash = c1.AddNamed("moved");
  EXPECT_THROW(clash->SetCollection(&c2), EListError);
  EXPECT_EQ(clash->GetCollection(), &c1);
  EXPECT_EQ(c1.ByName("moved"), clash);
  EXPECT_EQ(c2.Count(), 1);
  // Extracted items leave no entry either.
  Owned<TCollectionItem> out = c2.Extract(m);
  EXPECT_EQ(c2.ByName("moved"), nullptr);
  EXPECT_EQ(c2.IndexList(1).Count(), 0);
}

TEST(IndexedCollection, ClearAssignAndIndexCount) {
  TKeyedCollection src(zdError), dst(zdError);
  src.AddNamed("k1", "g");
  src.AddNamed("k2", "g");
  dst.AddNamed("old");
  dst.Assign(&src);
  EXPECT_EQ(dst.Count(), 2);
  EXPECT_EQ(IndexKeys(dst, 0), (std::vector<std::string>{"k1", "k2"}));
  EXPECT_EQ(dst.ByName("old"), nullptr);
  dst.Clear();
  EXPECT_EQ(dst.IndexList(0).Count(), 0);
  EXPECT_FALSE(dst.IsClearing());
  src.SetIndexCount(3);
  EXPECT_EQ(src.GetIndexCount(), 3);
  EXPECT_EQ(src.IndexList(0).Count(), 0);  // new, empty indexes
  EXPECT_EQ(src.IndexList(0).Duplicates(), zdError);
}

TEST(ZQCollection, NotificationsSortAndExchange) {
  TZQCollection c(TZQCollectionItem::StaticClass());
  int added = 0, extracted = 0;
  c.OnAdded = TNotifyEvent(&added, [&](TObject* s) {
    EXPECT_EQ(s, &c);
    ++added;
  });
  c.OnExtract = TNotifyEvent(&extracted, [&](TObject*) { ++extracted; });
  for (int v : {3, 1, 2}) static_cast<TZQCollectionItem*>(c.Add())->SetUserData(v);
  EXPECT_EQ(added, 3);
  auto data = [&](int i) { return static_cast<TZQCollectionItem*>(c.GetItem(i))->GetUserData(); };
  int calls = 0;
  c.SortItems(
      [](TCollectionItem* a, TCollectionItem* b, void* d) {
        ++*static_cast<int*>(d);
        return static_cast<TZQCollectionItem*>(a)->GetUserData() - static_cast<TZQCollectionItem*>(b)->GetUserData();
      },
      &calls);
  EXPECT_GT(calls, 0);
  EXPECT_EQ(data(0), 1);
  EXPECT_EQ(data(2), 3);
  c.ExchangeItems(0, 2);
  EXPECT_EQ(data(0), 3);
  c.Delete(1);
  Owned<TCollectionItem> x = c.Extract(c.GetItem(0));
  EXPECT_EQ(extracted, 2);
}

class TNamedObject : public TObject {
  ZQ_CLASS(TNamedObject, TObject)
  explicit TNamedObject(std::string n = "") : name(std::move(n)) {}
  std::string name;
};
ZQ_IMPLEMENT_CLASS(TNamedObject) {}

class TByName : public TZQSortedObjectList {
  ZQ_CLASS(TByName, TZQSortedObjectList)
  using TZQSortedObjectList::TZQSortedObjectList;
  Variant KeyOf(const TObject* o) const override { return Variant(static_cast<const TNamedObject*>(o)->name); }
};
ZQ_IMPLEMENT_CLASS(TByName) {}

TEST(SortedObjectList, KeyedAddRemoveExtract) {
  TByName l(true);
  auto* z = new TNamedObject("zeta");
  auto* a = new TNamedObject("alpha");
  EXPECT_EQ(l.Add(z), 0);
  EXPECT_EQ(l.Add(a), 1);
  EXPECT_EQ(l.GetSortedItem(0), a);
  EXPECT_EQ(l.GetOrderedItem(Variant("ZETA")), z);
  EXPECT_EQ(l.GetOrderedIndex(Variant("nothing")), -1);
  TNamedObject dup("Alpha");
  EXPECT_THROW(l.Add(&dup), EListError);  // case-insensitive, duplicates refused
  EXPECT_EQ(l.Count(), 2);
  EXPECT_EQ(l.IndexList().Count(), 2);
  TObject* out = l.Extract(a);
  EXPECT_EQ(out, a);
  EXPECT_EQ(l.GetOrderedItem(Variant("alpha")), nullptr);
  delete out;
  EXPECT_EQ(l.Remove(z), 0);  // freed: owned
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Remove(&dup), -1);
}

TEST(Bits, TestSetAndClearWithRangeCheck) {
  std::uint32_t f = 0;
  BitSet(f, 0, true);
  BitSet(f, 31, true);
  EXPECT_EQ(f, 0x80000001u);
  EXPECT_TRUE(IsBitSet(f, 31));
  EXPECT_FALSE(IsBitSet(f, 30));
  BitSet(f, 0, false);
  EXPECT_EQ(f, 0x80000000u);
  std::int32_t s = 0;
  BitSet(s, 31, true);
  EXPECT_TRUE(IsBitSet(s, 31));
  EXPECT_LT(s, 0);
  try {
    BitSet(f, 32, true);
    FAIL();
  } catch (const ERangeError& e) {
    EXPECT_STREQ(e.what(), "Bit number 32 is out of range (0..31)");
  }
  EXPECT_THROW(IsBitSet(f, -1), ERangeError);
  EXPECT_EQ(f, 0x80000000u);
}

}  // namespace
}  // namespace zq
