#include "foundation/component.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/exception.h"
#include "foundation/properties.h"

namespace zq {
namespace {

std::vector<std::string>* gLog = nullptr;

// Holds a reference to a component it does not own.
class TWatcher : public TComponent {
  ZQ_CLASS(TWatcher, TComponent)
  using TComponent::TComponent;
  TComponent* FTarget = nullptr;
  void SetTarget(TComponent* t) {
    if (FTarget) FTarget->RemoveFreeNotification(this);
    FTarget = t;
    if (t) t->FreeNotification(this);
  }
  ~TWatcher() override {
    if (gLog) gLog->push_back("~" + GetName());
  }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FTarget) FTarget = nullptr;
    if (gLog && !GetName().empty())
      gLog->push_back(GetName() + (Operation == opInsert ? "+" : "-") + AComponent->GetName());
  }
  void Loaded() override {
    if (gLog) gLog->push_back(GetName() + ".Loaded" + (HasState(csLoading) ? "(loading)" : ""));
    TComponent::Loaded();
  }
};
ZQ_IMPLEMENT_CLASS(TWatcher) {}

TEST(Component, OwnerOwnsAndFindsByName) {
  auto form = CreateOwned<TComponent>(nullptr);
  auto* a = Create<TComponent>(form.get());
  auto* b = Create<TWatcher>(form.get());
  a->SetName("Button1");
  b->SetName("Edit1");
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->Components(1), b);
  EXPECT_EQ(a->Owner(), form.get());
  EXPECT_EQ(form->FindComponent("BUTTON1"), a);
  EXPECT_EQ(form->FindComponent("missing"), nullptr);
  EXPECT_EQ(form->FindComponent(""), nullptr);
  EXPECT_EQ(b->GetComponentIndex(), 1);
  b->SetComponentIndex(0);
  EXPECT_EQ(form->Components(0), b);
  // Freeing a component takes it out of its owner.
  Free(a);
  EXPECT_EQ(form->ComponentCount(), 1);
  EXPECT_EQ(form->FindComponent("Button1"), nullptr);
  // Class factory with an owner.
  TComponent* c = TWatcher::StaticClass().CreateInstance<TComponent>(form.get());
  EXPECT_EQ(c->Owner(), form.get());
  EXPECT_EQ(c->ClassName(), "TWatcher");
}

TEST(Component, NamesAreValidatedAndUniqueAmongSiblings) {
  TComponent form;
  auto* a = Create<TComponent>(&form);
  auto* b = Create<TComponent>(&form);
  a->SetName("Panel1");
  try {
    b->SetName("PANEL1");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "A component named PANEL1 already exists");
  }
  EXPECT_EQ(b->GetName(), "");
  a->SetName("panel1");  // changing the case of its own name is fine
  EXPECT_EQ(a->GetName(), "panel1");
  try {
    b->SetName("1abc");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "'1abc' is not a valid component name");
  }
  EXPECT_THROW(b->SetName("a b"), EComponentError);
  b->SetName("_x9");
  EXPECT_EQ(b->GetName(), "_x9");
  // Empty names never clash; a named one moving into an owner must be unique.
  auto* c = Create<TComponent>(&form);
  EXPECT_EQ(c->GetName(), "");
  TComponent stray;
  stray.SetName("Panel1");
  EXPECT_THROW(form.InsertComponent(&stray), EComponentError);
  EXPECT_EQ(stray.Owner(), nullptr);
  // Name and Tag are published.
  SetOrdProp(&stray, PropByName(&stray, "Tag"), 5);
  EXPECT_EQ(stray.GetTag(), 5);
  EXPECT_EQ(GetStrProp(&stray, PropByName(&stray, "name")), "Panel1");
}

TEST(Component, FreeNotificationClearsReferences) {
  std::vector<std::string> log;
  gLog = &log;
  {
    TComponent formA, formB;
    auto* target = Create<TWatcher>(&formA);
    target->SetName("Target");
    auto* watcher = Create<TWatcher>(&formB);
    watcher->SetName("W");
    watcher->SetTarget(target);
    log.clear();
    Free(target);
    EXPECT_EQ(watcher->FTarget, nullptr);
    EXPECT_NE(std::find(log.begin(), log.end(), "W-Target"), log.end());
    // After RemoveFreeNotification the watcher is no longer told.
    auto* t2 = Create<TWatcher>(&formA);
    t2->SetName("T2");
    watcher->SetTarget(t2);
    watcher->SetTarget(nullptr);
    log.clear();
    Free(t2);
    EXPECT_EQ(std::find(log.begin(), log.end(), "W-T2"), log.end());
    // The watcher dies first: the target must not notify a dead watcher later.
    auto* t3 = Create<TWatcher>(&formA);
    watcher->SetTarget(t3);
    Free(watcher);
  }
  gLog = nullptr;
}

TEST(Component, SiblingsHearAboutInsertAndRemove) {
  std::vector<std::string> log;
  gLog = &log;
  {
    TComponent form;
    auto* w = Create<TWatcher>(&form);
    w->SetName("W");
    auto* other = Create<TComponent>(&form);
    other->SetName("X");  // named after insertion: logged with its empty name
    log.clear();
    Free(other);
    EXPECT_EQ(log, std::vector<std::string>{"W-X"});
  }
  gLog = nullptr;
}

TEST(Component, DestructionFreesOwnedTreeAndSetsDestroying) {
  std::vector<std::string> log;
  gLog = &log;
  auto* root = Create<TWatcher>(nullptr);
  root->SetName("Root");
  auto* mid = Create<TWatcher>(root);
  mid->SetName("Mid");
  auto* leaf = Create<TWatcher>(mid);
  leaf->SetName("Leaf");
  root->Destroying();
  EXPECT_TRUE(leaf->HasState(csDestroying));
  log.clear();
  Free(root);
  EXPECT_EQ(log.back(), "~Root");
  EXPECT_NE(std::find(log.begin(), log.end(), "~Leaf"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "~Mid"), log.end());
  gLog = nullptr;
}

TEST(Component, LoadingCallsLoadedOwnerFirst) {
  std::vector<std::string> log;
  gLog = &log;
  {
    TWatcher root;
    root.SetName("Root");
    auto* a = Create<TWatcher>(&root);
    a->SetName("A");
    auto* b = Create<TWatcher>(a);
    b->SetName("B");
    root.BeginLoading();
    EXPECT_TRUE(b->HasState(csLoading));
    log.clear();
    root.EndLoading();
    EXPECT_EQ(log, (std::vector<std::string>{"Root.Loaded(loading)", "A.Loaded(loading)", "B.Loaded(loading)"}));
    EXPECT_FALSE(b->HasState(csLoading));
    EXPECT_FALSE(root.HasState(csLoading));
  }
  gLog = nullptr;
}

TEST(Component, DesigningPassesToNewChildrenAndOwnershipMoves) {
  TComponent a, b;
  a.SetDesigning(true);
  auto* c = Create<TComponent>(&a);
  EXPECT_TRUE(c->HasState(csDesigning));
  b.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &b);
  EXPECT_EQ(a.ComponentCount(), 0);
  EXPECT_EQ(b.ComponentCount(), 1);
  EXPECT_THROW(c->InsertComponent(&b), EComponentError);
}

}  // namespace
}  // namespace zq
