#include "older_methods/older_methods.h"

#include <cstring>

#include "older_methods/older_decoders.h"

namespace {

// The letter is only the table's own; reachBits is each method's window.
// clang-format off
constexpr OlderMethod kOlderMethods[] = {
    {{'2', MethodKind::kOlder, 0, 0, 13}, "-pm2-", DecodePm2},
    {{'1', MethodKind::kOlder, 0, 0, 14}, "-pm1-", DecodePm1},
};
// clang-format on

}  // namespace

const OlderMethod* FindOlderMethod(const char (&name)[5]) {
  for (const OlderMethod& method : kOlderMethods) {
    if (std::memcmp(method.name, name, 5) == 0) return &method;
  }
  return nullptr;
}
