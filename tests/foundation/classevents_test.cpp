// Class events: raised by Create and Free for the exact class, in list order,
// removal per registration, reuse of empty slots, swallowed exceptions,
// handlers that change the registry, and ChangeObjClass's errors.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/classevents.h"
#include "foundation/object.h"
#include "foundation/properties.h"
#include "tests/error_message.h"

namespace zq {

class TProbe : public TObject {
  ZQ_CLASS(TProbe, TObject)
  void AfterConstruction() override { Constructed = true; }
  void BeforeDestruction() override { Destroying = true; }
  bool Constructed = false;
  bool Destroying = false;
};
class TProbeSub : public TProbe {
  ZQ_CLASS(TProbeSub, TProbe)
};
ZQ_IMPLEMENT_CLASS(TProbe) {}
ZQ_IMPLEMENT_CLASS(TProbeSub) {}

namespace {

std::vector<std::string> gLog;
// Handler objects: an event is its handler and its object.
const void* Tag(int AIndex) {
  static const int tags[4] = {};
  return &tags[AIndex];
}

// Each handler logs its user data (a text) and what it saw of the object.
void LogA(void* AData, TObject* AObj) {
  auto* p = static_cast<TProbe*>(AObj);
  gLog.push_back("A:" + *static_cast<std::string*>(AData) + (p->Constructed ? "+c" : "") +
                 (p->Destroying ? "+d" : ""));
}
void LogB(void* AData, TObject*) {
  gLog.push_back("B:" + *static_cast<std::string*>(AData));
}
void Throws(void*, TObject*) {
  gLog.push_back("throws");
  throw std::runtime_error("handler failed");
}

struct ClassEvents : ::testing::Test {
  void SetUp() override { gLog.clear(); }
  void TearDown() override {
    for (auto h : {&LogA, &LogB, &Throws})
      for (const void* o : {static_cast<const void*>(nullptr), Tag(0), Tag(1), Tag(2), Tag(3)}) {
        DelAllAfterConstructionEvents({h, o});
        DelAllBeforeDestructionEvents({h, o});
      }
    EXPECT_FALSE(ZQClassEventsActive());
  }
  std::vector<std::string> MakeAndFree() {
    gLog.clear();
    Free(Create<TProbe>());
    return gLog;
  }
  std::string one = "1", two = "2", three = "3";
};

TEST_F(ClassEvents, RaisedForTheExactClassAfterConstructionAndBeforeDestruction) {
  AddAfterConstructionEvent(TProbe::StaticClass(), &one, {&LogA});
  AddAfterConstructionEvent(TProbe::StaticClass(), &two, {&LogB});
  AddBeforeDestructionEvent(TProbe::StaticClass(), &three, {&LogA});
  EXPECT_TRUE(ZQClassEventsActive());
  // After AfterConstruction, in list order; before BeforeDestruction.
  EXPECT_EQ(MakeAndFree(), (std::vector<std::string>{"A:1+c", "B:2", "A:3+c"}));
  gLog.clear();
  Free(Create<TProbeSub>());
  EXPECT_TRUE(gLog.empty());
}

TEST_F(ClassEvents, EachRegistrationIsRemovedOnItsOwn) {
  AddAfterConstructionEvent(TProbe::StaticClass(), &one, {&LogA});
  AddAfterConstructionEvent(TProbe::StaticClass(), &two, {&LogA});
  EXPECT_EQ(ClassEventCount(TProbe::StaticClass(), true), 2);
  DelAfterConstructionEvent(TProbe::StaticClass(), {&LogA});
  EXPECT_EQ(MakeAndFree(), (std::vector<std::string>{"A:2+c"}));
  DelAfterConstructionEvent(TProbeSub::StaticClass(), {&LogA});  // another class: nothing
  DelBeforeDestructionEvent(TProbe::StaticClass(), {&LogA});     // the other list: nothing
  EXPECT_EQ(ClassEventCount(TProbe::StaticClass(), true), 1);
  DelAfterConstructionEvent(TProbe::StaticClass(), {&LogA});
  EXPECT_TRUE(MakeAndFree().empty());
  EXPECT_FALSE(ZQClassEventsActive());

  // The handler object is part of the event.
  AddAfterConstructionEvent(TProbe::StaticClass(), &one, {&LogB, Tag(0)});
  DelAfterConstructionEvent(TProbe::StaticClass(), {&LogB});
  EXPECT_EQ(ClassEventCount(TProbe::StaticClass(), true), 1);
  DelAfterConstructionEvent(TProbe::StaticClass(), {&LogB, Tag(0)});
  EXPECT_EQ(ClassEventCount(TProbe::StaticClass(), true), 0);

  // DelAll: every class, every registration of that event only.
  AddAfterConstructionEvent(TProbe::StaticClass(), &one, {&LogA});
  AddAfterConstructionEvent(TProbeSub::StaticClass(), &one, {&LogA});
  AddAfterConstructionEvent(TProbe::StaticClass(), &two, {&LogB});
  DelAllAfterConstructionEvents({&LogA});
  EXPECT_EQ(ClassEventCount(TProbeSub::StaticClass(), true), 0);
  EXPECT_EQ(MakeAndFree(), (std::vector<std::string>{"B:2"}));
}

TEST_F(ClassEvents, EmptySlotsAreReusedLastFirst) {
  static std::string d = "D", e = "E", f = "F", a = "A", c = "C";
  AddAfterConstructionEvent(TProbe::StaticClass(), &a, {&LogB});
  AddAfterConstructionEvent(TProbe::StaticClass(), &one, {&LogA});
  AddAfterConstructionEvent(TProbe::StaticClass(), &c, {&LogB, Tag(0)});
  DelAfterConstructionEvent(TProbe::StaticClass(), {&LogA});
  // [A, _, C] -> D takes the hole.
  AddAfterConstructionEvent(TProbe::StaticClass(), &d, {&LogB, Tag(1)});
  EXPECT_EQ(MakeAndFree(), (std::vector<std::string>{"B:A", "B:D", "B:C"}));
  DelAfterConstructionEvent(TProbe::StaticClass(), {&LogB});
  DelAfterConstructionEvent(TProbe::StaticClass(), {&LogB, Tag(1)});
  // [_, _, C]: E takes the last hole, F the first.
  AddAfterConstructionEvent(TProbe::StaticClass(), &e, {&LogB, Tag(2)});
  AddAfterConstructionEvent(TProbe::StaticClass(), &f, {&LogB, Tag(3)});
  EXPECT_EQ(MakeAndFree(), (std::vector<std::string>{"B:F", "B:E", "B:C"}));
}

TEST_F(ClassEvents, ExceptionsAreSwallowedAndTheNextHandlerRuns) {
  AddAfterConstructionEvent(TProbe::StaticClass(), nullptr, {&Throws});
  AddAfterConstructionEvent(TProbe::StaticClass(), &one, {&LogB});
  AddBeforeDestructionEvent(TProbe::StaticClass(), nullptr, {&Throws});
  AddBeforeDestructionEvent(TProbe::StaticClass(), &two, {&LogA});
  TProbe* p = nullptr;
  EXPECT_NO_THROW(p = Create<TProbe>());
  ASSERT_NE(p, nullptr);
  EXPECT_NO_THROW(Free(p));
  EXPECT_EQ(gLog, (std::vector<std::string>{"throws", "B:1", "throws", "A:2+c"}));
}

void AddsAnother(void* AData, TObject*) {
  gLog.push_back("adds");
  AddAfterConstructionEvent(TProbe::StaticClass(), AData, {&LogB});
  DelAfterConstructionEvent(TProbe::StaticClass(), {&AddsAnother});
}

TEST_F(ClassEvents, AHandlerMayChangeTheRegistryForTheNextObject) {
  AddAfterConstructionEvent(TProbe::StaticClass(), &one, {&AddsAnother});
  EXPECT_EQ(MakeAndFree(), (std::vector<std::string>{"adds"}));
  EXPECT_EQ(MakeAndFree(), (std::vector<std::string>{"B:1"}));
}

TEST(ChangeObjClass, RaisesAndLeavesTheObjectAlone) {
  TProbe* p = Create<TProbe>();
  EXPECT_EQ(test::Message([&] { ChangeObjClass(p, TObject::StaticClass(), true); }),
            "Class \"TObject\" is not immediatelly descendant of class \"TProbe\"!");
  EXPECT_EQ(test::Message([&] { ChangeObjClass(p, TProbeSub::StaticClass(), true); }),
            "ChangeObjClass is not supported: an object's class cannot be changed in C++ (make a "
            "TProbeSub instead).");
  EXPECT_EQ(&p->ClassType(), &TProbe::StaticClass());
  Free(p);
}

}  // namespace
}  // namespace zq
