#include "archive/name_sanitizer.h"

#include "base/run_context.h"
#include "base/text.h"

namespace {

constexpr uint32_t kLongComponent = 255;
constexpr uint32_t kShortName = 8;
constexpr uint32_t kShortExtension = 3;

bool IsRefused(uint8_t byte, bool longNames) {
  const char* set = longNames ? "\"*/:<>?\\|" : "\"*+,./:;<=>?[\\]|\xFF";
  if (!longNames && byte >= 1 && byte <= 32) return true;
  for (; *set != '\0'; ++set) {
    if (byte == static_cast<uint8_t>(*set)) return true;
  }
  return false;
}

}  // namespace

char* SanitizeField(char* text, uint32_t count, bool longNames) {
  uint32_t i = 0;
  while (i < count && text[i] != '\0') {
    const auto byte = static_cast<uint8_t>(text[i]);
    if (platform::IsLeadByte(byte) && text[i + 1] != '\0') {
      if (i + 1 >= count) break;  // its trail byte would lie past the limit
      i += 2;
      continue;
    }
    if (IsRefused(byte, longNames)) text[i] = '_';
    ++i;
  }
  text[i] = '\0';
  return text + i;
}

char* SanitizeComponent(char* component, bool longNames) {
  if (longNames) return SanitizeField(component, kLongComponent, longNames);
  char* dot = nullptr;
  for (char* p = component; *p != '\0'; ++p) {
    if (*p == '.') dot = p;
    if (platform::IsLeadByte(static_cast<uint8_t>(*p)) && p[1] != '\0') ++p;  // and its trail
  }
  if (dot == nullptr) return SanitizeField(component, kShortName, longNames);
  *dot = '\0';
  char* end = SanitizeField(component, kShortName, longNames);
  char* extension = dot + 1;
  *end++ = '.';
  const uint32_t length =
      static_cast<uint32_t>(SanitizeField(extension, kShortExtension, longNames) - extension);
  for (uint32_t i = 0; i <= length; ++i) end[i] = extension[i];
  return end + length;
}

void SanitizePath(char* path, bool longNames) {
  char* to = path;
  const char* from = path;
  if (*from == '/') ++to, ++from;
  char component[kOutPathCapacity];
  for (;;) {
    uint32_t length = 0;
    while (from[length] != '\0' && from[length] != '/') ++length;
    CopyBytes(component, sizeof component, from, length);
    const char* end = SanitizeComponent(component, longNames);
    const bool more = from[length] == '/';
    from += length + (more ? 1 : 0);
    for (const char* c = component; c < end; ++c) *to++ = *c;
    if (!more) break;
    *to++ = '/';
  }
  *to = '\0';
}
