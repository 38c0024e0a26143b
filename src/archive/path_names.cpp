#include "archive/path_names.h"

#include "base/run_context.h"

char* ConvertSeparators(char* text, char separator) {
  char* afterLast = text;
  for (char* p = text; *p != '\0'; ++p) {
    const auto byte = static_cast<uint8_t>(*p);
    if (byte == '/' || byte == '\\' || byte == 0xFF) {
      *p = separator;
      afterLast = p + 1;
    } else if (platform::IsLeadByte(byte) && p[1] != '\0') {
      ++p;
    }
  }
  return afterLast;
}

char* ExpandPathMacro(char* text, const char* /*fileName*/) {
  return ConvertSeparators(text, '\\');
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
