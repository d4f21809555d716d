#include "foundation/collection.h"

#include <gtest/gtest.h>

#include "foundation/exception.h"
#include "foundation/properties.h"

namespace zq {
namespace {

class TNamedItem : public TCollectionItem {
  ZQ_CLASS(TNamedItem, TCollectionItem)
  using TCollectionItem::TCollectionItem;
  std::string FName;
  void Assign(const TPersistent* Source) override {
    if (auto* s = dynamic_cast<const TNamedItem*>(Source)) {
      FName = s->FName;
      return;
    }
    TCollectionItem::Assign(Source);
  }
  std::string GetDisplayName() const override { return FName; }
};
ZQ_IMPLEMENT_CLASS(TNamedItem) { c.Prop("Name", &TNamedItem::FName); }

class TLoggingCollection : public TCollection {
  ZQ_CLASS(TLoggingCollection, TCollection)
  TLoggingCollection() : TCollection(TNamedItem::StaticClass()) {}
  std::vector<std::string> log;
  bool refuse = false;

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    static const char* names[] = {"added", "extracting", "deleting"};
    log.push_back(std::string(names[Action]) + ":" + std::to_string(Item->ID()));
    if (refuse && Action == cnAdded) throw EListError("refused");
  }
  void Update(TCollectionItem* Item) override { log.push_back(Item ? "update:item" : "update:all"); }
};
ZQ_IMPLEMENT_CLASS(TLoggingCollection) {}

std::vector<std::string> NamesOf(const TCollection& c) {
  std::vector<std::string> r;
  for (int i = 0; i < c.Count(); ++i) r.push_back(c.ItemAs<TNamedItem>(i)->FName);
  return r;
}

TEST(Collection, AddInsertDeleteAndIndexes) {
  TLoggingCollection c;
  auto* a = static_cast<TNamedItem*>(c.Add());
  a->FName = "a";
  auto* b = static_cast<TNamedItem*>(c.Add());
  b->FName = "b";
  auto* z = static_cast<TNamedItem*>(c.Insert(0));
  z->FName = "z";
  EXPECT_EQ(NamesOf(c), (std::vector<std::string>{"z", "a", "b"}));
  EXPECT_EQ(a->GetCollection(), &c);
  EXPECT_EQ(a->GetIndex(), 1);
  EXPECT_EQ(z->ID(), 2);
  EXPECT_EQ(c.FindItemID(1), b);
  b->SetIndex(0);
  EXPECT_EQ(NamesOf(c), (std::vector<std::string>{"b", "z", "a"}));
  EXPECT_THROW(b->SetIndex(3), EListError);
  c.log.clear();
  c.Delete(1);
  EXPECT_EQ(NamesOf(c), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(c.log, (std::vector<std::string>{"deleting:2", "extracting:2", "update:all"}));
  EXPECT_THROW(c.Delete(5), EListError);
  EXPECT_THROW(c.GetItem(-1), EListError);
  Free(a);  // freeing an item removes it
  EXPECT_EQ(NamesOf(c), std::vector<std::string>{"b"});
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
}

TEST(Collection, ExtractAndMoveBetweenCollections) {
  TLoggingCollection c1, c2;
  auto* a = static_cast<TNamedItem*>(c1.Add());
  a->FName = "a";
  a->SetCollection(&c2);
  EXPECT_EQ(c1.Count(), 0);
  EXPECT_EQ(c2.Count(), 1);
  EXPECT_EQ(a->GetCollection(), &c2);
  Owned<TCollectionItem> owned = c2.Extract(a);
  EXPECT_EQ(c2.Count(), 0);
  EXPECT_EQ(owned->GetCollection(), nullptr);
  // An item made with its collection joins it.
  auto* d = Create<TNamedItem>(&c1);
  EXPECT_EQ(c1.Count(), 1);
  EXPECT_EQ(c1.GetItem(0), d);
}

TEST(Collection, RefusedItemIsNotKept) {
  TLoggingCollection c;
  c.refuse = true;
  EXPECT_THROW(c.Add(), EListError);
  EXPECT_EQ(c.Count(), 0);
}

TEST(Collection, AssignCopiesItemsThroughTheirAssign) {
  TLoggingCollection src, dst;
  static_cast<TNamedItem*>(src.Add())->FName = "x";
  static_cast<TNamedItem*>(src.Add())->FName = "y";
  dst.Add();
  dst.log.clear();
  dst.Assign(&src);
  EXPECT_EQ(NamesOf(dst), (std::vector<std::string>{"x", "y"}));
  // One update at the end, not one per item.
  EXPECT_EQ(std::count(dst.log.begin(), dst.log.end(), "update:all"), 1);
  TNamedItem loose;
  EXPECT_THROW(dst.Assign(&loose), EConvertError);
}

TEST(Collection, UpdatesAreBatched) {
  TLoggingCollection c;
  c.BeginUpdate();
  c.Add();
  c.Add();
  EXPECT_TRUE(c.log.size() == 2);  // only the two "added"
  c.EndUpdate();
  EXPECT_EQ(c.log.back(), "update:all");
}

}  // namespace
}  // namespace zq
