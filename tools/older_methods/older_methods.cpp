#include "older_methods/older_methods.h"

#include <array>
#include <cstring>

#include "older_methods/older_decoders.h"

namespace {

// The letter is only the table's own; reachBits is each method's window.
// clang-format off
constexpr std::array<OlderMethod, 0> kOlderMethods = {};
// clang-format on

}  // namespace

const OlderMethod* FindOlderMethod(const char (&name)[5]) {
  for (const OlderMethod& method : kOlderMethods) {
    if (std::memcmp(method.name, name, 5) == 0) return &method;
  }
  return nullptr;
}
