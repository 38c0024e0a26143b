#include "older_methods/older_methods.h"

#include <cstring>

#include "older_methods/older_decoders.h"

namespace {

// The letter is only the table's own; reachBits is each method's window.
// clang-format off
constexpr OlderMethod kOlderMethods[] = {
    {{'1', MethodKind::kOlder, 0, 0, 12}, "-lh1-", DecodeLh1},
    {{'5', MethodKind::kOlder, 0, 0, 12}, "-lz5-", DecodeLz5},
    {{'s', MethodKind::kOlder, 0, 0, 11}, "-lzs-", DecodeLzs},
    {{'q', MethodKind::kOlder, 0, 0, 13}, "-pm2-", DecodePm2},
    {{'p', MethodKind::kOlder, 0, 0, 14}, "-pm1-", DecodePm1},
};
// clang-format on

}  // namespace

const OlderMethod* FindOlderMethod(const char (&name)[5]) {
  for (const OlderMethod& method : kOlderMethods) {
    if (std::memcmp(method.name, name, 5) == 0) return &method;
  }
  return nullptr;
}
