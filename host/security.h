// Random identifiers from the operating system's secure random source.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zq {

// Fills the buffer from getrandom(2) (falling back to /dev/urandom); raises
// zq::Exception when neither is available.
void SecureRandomBytes(void* buffer, size_t size);
// 2 * bytes lower-case hexadecimal characters of secure random data.
std::string SecureRandomHex(size_t bytes);
// Comparison whose time does not depend on where the texts differ.
bool ConstantTimeEquals(std::string_view a, std::string_view b);

}  // namespace zq
