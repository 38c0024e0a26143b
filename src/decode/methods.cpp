#include "decode/methods.h"

namespace {

// -lh4- and -lh5- reach 8 KiB back, -lh6- and -lh7- 64 KiB; all decode into the same window.
constexpr Method kMethods[] = {
    {'0', MethodKind::kStored, 0, 0},      {'4', MethodKind::kCompressed, 14, 4},
    {'5', MethodKind::kCompressed, 14, 4}, {'6', MethodKind::kCompressed, 17, 5},
    {'7', MethodKind::kCompressed, 17, 5}, {'d', MethodKind::kDirectory, 0, 0},
};

}  // namespace

const Method* FindMethod(const char (&name)[5]) {
  if (name[0] != '-' || name[1] != 'l' || name[2] != 'h' || name[4] != '-') return nullptr;
  for (const Method& method : kMethods) {
    if (method.letter == name[3]) return &method;
  }
  return nullptr;
}
