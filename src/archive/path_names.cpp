#include "archive/path_names.h"

#include "platform/platform.h"

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
