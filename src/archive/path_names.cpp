#include "archive/path_names.h"

#include "base/run_context.h"
#include "base/text.h"

namespace {

bool IsSeparator(uint8_t byte) {
  return byte == '/' || byte == '\\' || byte == 0xFF;
}

// The next character after p: one byte, or two for a lead byte with its trail.
char* NextCharacter(char* p) {
  return platform::IsLeadByte(static_cast<uint8_t>(*p)) && p[1] != '\0' ? p + 2 : p + 1;
}

}  // namespace

char* ConvertSeparators(char* text, char separator) {
  char* afterLast = text;
  for (char* p = text; *p != '\0'; p = NextCharacter(p)) {
    if (IsSeparator(static_cast<uint8_t>(*p))) {
      *p = separator;
      afterLast = p + 1;
    }
  }
  return afterLast;
}

char* FindAnyOf(char* text, const char* set) {
  for (char* p = text; *p != '\0'; p = NextCharacter(p)) {
    for (const char* s = set; *s != '\0'; ++s) {
      if (*p == *s) return p;
    }
  }
  return nullptr;
}

char* LastComponent(char* text) {
  char* after = text;
  for (char* found = text; (found = FindAnyOf(found, ":\\/\xFF")) != nullptr;) after = ++found;
  return after;
}

void AppendSeparator(char* text, uint32_t capacity) {
  char* last = text;
  for (char* p = text; *p != '\0'; p = NextCharacter(p)) last = p;
  if (*last != '\\' && *last != '/') AppendText(text, capacity, "/");
}

const char* NameInsideTarget(const char* memberPath) {
  const char* name = memberPath;
  if (name[0] != '\0' && name[1] == ':') name += 2;
  while (*name == '/') ++name;
  for (const char* component = name;;) {
    const char* end = component;
    while (*end != '\0' && *end != '/') ++end;
    if (end - component == 2 && component[0] == '.' && component[1] == '.') return nullptr;
    if (*end == '\0') return name;
    component = end + 1;
  }
}

void CreateParentDirectories(const char* path) {
  char prefix[kOutPathCapacity];
  for (uint32_t i = 0; path[i] != '\0' && i + 1 < kOutPathCapacity; ++i) {
    if (path[i] == '/') {
      prefix[i] = '\0';
      platform::MakeDirectory(prefix);
    }
    prefix[i] = path[i];
  }
}

void ShortenForDisplay(char* out, uint32_t capacity, const char* path, uint32_t maxLength) {
  if (TextLength(path) < maxLength) {
    CopyText(out, capacity, path);
    return;
  }
  char title[kDirCapacity];
  platform::FileTitle(path, title, sizeof title);
  CopyText(out, capacity, ".../");
  AppendText(out, capacity, title);
}
