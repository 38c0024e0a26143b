#include "decode/methods.h"

namespace {

// Other readers size their windows by these reaches; the stub decodes every method into the same
// 64 KiB window.
// clang-format off
constexpr Method kMethods[] = {
    {'0', MethodKind::kStored,     0,  0, 0},
    {'4', MethodKind::kCompressed, 14, 4, 13},
    {'5', MethodKind::kCompressed, 14, 4, 13},
    {'6', MethodKind::kCompressed, 17, 5, 15},
    {'7', MethodKind::kCompressed, 17, 5, 16},
    {'d', MethodKind::kDirectory,  0,  0, 0},
};
// clang-format on

}  // namespace

const Method* FindMethod(char letter) {
  for (const Method& method : kMethods) {
    if (method.letter == letter) return &method;
  }
  return nullptr;
}

const Method* FindMethod(const char (&name)[5]) {
  if (name[0] != '-' || name[1] != 'l' || name[2] != 'h' || name[4] != '-') return nullptr;
  return FindMethod(name[3]);
}
