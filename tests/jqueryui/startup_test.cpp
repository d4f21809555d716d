// The event-function classes and the freed-object hook come from the library
// start-up, never from an option set's constructor. This program links only
// the jQuery UI layer, so its environment installs the events layer's part of
// the start-up once for all tests.
#include <gtest/gtest.h>

#include "events/func.h"
#include "jqueryui/effect.h"

namespace zq {
namespace {

class TEventFunctionsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ZQRegisterEventFunctions(); }
  void TearDown() override { ZQUnregisterEventFunctions(); }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new TEventFunctionsEnvironment);

TEST(OptionSetStartup, ConstructingAnOptionSetInstallsNoHook) {
  ZQUnregisterEventFunctions();
  {
    Owned<TIWZQJQEffects> effects(TIWZQJSon::CreateSingle<TIWZQJQEffects>(nullptr, ""));
    EXPECT_EQ(ZQEventFunctionBaseClass(), nullptr);
    EXPECT_EQ(ZQDefaultEventFunctionClass(), nullptr);
  }
  ZQRegisterEventFunctions();
  EXPECT_EQ(ZQEventFunctionBaseClass(), &TIWZQFunc::StaticClass());
}

}  // namespace
}  // namespace zq
