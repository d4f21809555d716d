// Test helper shared by the test programs: the message of the library
// exception a call raises.
#pragma once

#include <functional>
#include <string>

#include "foundation/exception.h"

namespace zq::test {

// The what() of the zq::Exception `f` raises, or "<none>" when it returns.
inline std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "<none>";
}

}  // namespace zq::test
