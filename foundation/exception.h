// Exception hierarchy of the library. Every error the library raises derives
// from zq::Exception, whose what() is the UTF-8 message exactly as specified
// for that error. A `catch (const zq::Exception&)` therefore catches "the
// runtime's exceptions" and lets foreign ones pass.
#pragma once

#include <stdexcept>
#include <string>

namespace zq {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  const std::string Message() const { return what(); }
};

// Silent abort: unwinds the current operation without a message for the user.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  explicit EAbort(const std::string& message) : Exception(message) {}
};

// A value could not be converted (text to number, variant kinds, ...).
class EConvertError : public Exception {
  using Exception::Exception;
};

// A property was named that a class does not publish, or was used wrongly.
class EPropertyError : public Exception {
  using Exception::Exception;
};

// Index or key errors of lists and collections.
class EListError : public Exception {
  using Exception::Exception;
};

// An object is not of the class an operation needs.
class EInvalidCast : public Exception {
  using Exception::Exception;
};

// Component names and ownership (invalid or duplicate names).
class EComponentError : public Exception {
  using Exception::Exception;
};

// A number outside the range an operation accepts.
class ERangeError : public Exception {
  using Exception::Exception;
};

// Invalid pointer / invalid use of a reference-counted object.
class EInvalidPointer : public Exception {
 public:
  EInvalidPointer() : Exception("Invalid pointer") {}
};

}  // namespace zq
